#include "workspace/panels/ToolPanelControls.h"

#include "workspace/panels/PanelStyle.h"

namespace quillora {

CToolQuilloraCtrlUI::CToolQuilloraCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent)
    : CLayoutControlUI(QStringLiteral("ToolQuilloraCtrl.xml"), callback, parent) {
    setStyleSheet(ToolPanelStyle());
}

CToolShadowBorderCtrlUI::CToolShadowBorderCtrlUI(ui::IDialogBuilderCallback* callback,
                                                 QWidget* parent)
    : CLayoutControlUI(QStringLiteral("ToolShadowBorderCtrl.xml"), callback, parent) {
    setStyleSheet(ToolPanelStyle());
}

CToolFilterToningCtrlUI::CToolFilterToningCtrlUI(ui::IDialogBuilderCallback* callback,
                                                 QWidget* parent)
    : CLayoutControlUI(QStringLiteral("ToolFilterToningCtrl.xml"), callback, parent) {
    setStyleSheet(ToolPanelStyle());
}

CToolChangeBgCtrlUI::CToolChangeBgCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent)
    : CLayoutControlUI(QStringLiteral("ToolChangeBgCtrl.xml"), callback, parent) {
    setStyleSheet(ToolPanelStyle());
}

CToolChangeSizeCtrlUI::CToolChangeSizeCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent)
    : CLayoutControlUI(QStringLiteral("ToolChangeSizeCtrl.xml"), callback, parent) {
    setStyleSheet(ToolPanelStyle());
}

QWidget* CreateToolPanelControl(const QString& className, ui::IDialogBuilderCallback* callback,
                                QWidget* parent) {
    if (className == QLatin1String("ToolQuilloraCtrl")) {
        return new CToolQuilloraCtrlUI(callback, parent);
    }
    if (className == QLatin1String("ToolShadowBorderCtrl")) {
        return new CToolShadowBorderCtrlUI(callback, parent);
    }
    if (className == QLatin1String("ToolFilterToningCtrl")) {
        return new CToolFilterToningCtrlUI(callback, parent);
    }
    if (className == QLatin1String("ToolChangeBgCtrl")) {
        return new CToolChangeBgCtrlUI(callback, parent);
    }
    if (className == QLatin1String("ToolChangeSizeCtrl")) {
        return new CToolChangeSizeCtrlUI(callback, parent);
    }
    return nullptr;
}

}  // namespace quillora
