#pragma once

#include "app/shell/dialogs/MyBaseWindow.h"

namespace quillora {

struct OemInfo;

// The about dialog: product name and version, with the branding's logo,
// web site, company name and background where oem.ini gives them.
class CAboutDlg : public MyBaseWindow {
    Q_OBJECT
public:
    CAboutDlg(const OemInfo& oem, QString productName, QString versionText);

    QString GetSkinFile() const override { return QStringLiteral("dlg_about.xml"); }
    void OnWindowInit() override;
    void Notify(ui::TNotifyUI& msg) override;
    void OnClick(ui::TNotifyUI& msg) override;

private:
    const OemInfo& oem_;
    QString productName_;
    QString versionText_;
};

}  // namespace quillora
