#include "workspace/pages/PageControls.h"

#include "workspace/panels/ToolPanelControls.h"

namespace quillora {

CHomeCtrlUI::CHomeCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent)
    : CLayoutControlUI(QStringLiteral("HomeCtrl.xml"), callback, parent) {}

CConverCtrlUI::CConverCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent)
    : CLayoutControlUI(QStringLiteral("ConverCtrl.xml"), callback, parent) {}

CBatchConverCtrlUI::CBatchConverCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent)
    : CLayoutControlUI(QStringLiteral("BatchConverCtrl.xml"), callback, parent) {}

CImgEditCtrlUI::CImgEditCtrlUI(ui::IDialogBuilderCallback* callback, QWidget* parent)
    : CLayoutControlUI(QStringLiteral("ImgEditCtrl.xml"), callback, parent) {}

QWidget* CreatePageControl(const QString& className, ui::IDialogBuilderCallback* callback,
                           QWidget* parent) {
    if (className == QLatin1String("HomeCtrl")) {
        return new CHomeCtrlUI(callback, parent);
    }
    if (className == QLatin1String("ConverCtrl")) {
        return new CConverCtrlUI(callback, parent);
    }
    if (className == QLatin1String("BatchConverCtrl")) {
        return new CBatchConverCtrlUI(callback, parent);
    }
    if (className == QLatin1String("ImgEditCtrl")) {
        return new CImgEditCtrlUI(callback, parent);
    }
    // The tool panels inside the single page.
    return CreateToolPanelControl(className, callback, parent);
}

}  // namespace quillora
