#pragma once

#include "ui/LayoutControl.h"

namespace quillora {

// The five tool panels of the single-image page. Each only builds its body
// from its layout ("ToolQuilloraCtrl.xml", ...); what the controls do is the
// tool panel binding's business (CToolPanelBinding).
class CToolQuilloraCtrlUI : public ui::CLayoutControlUI {
    Q_OBJECT
public:
    CToolQuilloraCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent);
};

class CToolShadowBorderCtrlUI : public ui::CLayoutControlUI {
    Q_OBJECT
public:
    CToolShadowBorderCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent);
};

class CToolFilterToningCtrlUI : public ui::CLayoutControlUI {
    Q_OBJECT
public:
    CToolFilterToningCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent);
};

class CToolChangeBgCtrlUI : public ui::CLayoutControlUI {
    Q_OBJECT
public:
    CToolChangeBgCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent);
};

class CToolChangeSizeCtrlUI : public ui::CLayoutControlUI {
    Q_OBJECT
public:
    CToolChangeSizeCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent);
};

// The tool panel control for a layout class name ("ToolQuilloraCtrl", ...);
// null for other names.
QWidget* CreateToolPanelControl(const QString& className, ui::IDialogBuilderCallback* callback,
                                QWidget* parent);

}  // namespace quillora
