#pragma once

#include "ui/LayoutControl.h"

namespace quillora {

// The pages of the main window's "tabMain". They only build their bodies;
// what happens on them is the main window's business.
class CHomeCtrlUI : public ui::CLayoutControlUI {
    Q_OBJECT
public:
    CHomeCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent);
};

class CConverCtrlUI : public ui::CLayoutControlUI {
    Q_OBJECT
public:
    CConverCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent);
};

class CBatchConverCtrlUI : public ui::CLayoutControlUI {
    Q_OBJECT
public:
    CBatchConverCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent);
};

class CImgEditCtrlUI : public ui::CLayoutControlUI {
    Q_OBJECT
public:
    CImgEditCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent);
};

// The page or tool panel control for a layout class name ("HomeCtrl",
// "ToolQuilloraCtrl", ...); null for others.
QWidget* CreatePageControl(const QString& className, ui::IDialogBuilderCallback* callback,
                           QWidget* parent);

}  // namespace quillora
