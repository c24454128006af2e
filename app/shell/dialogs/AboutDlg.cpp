#include "app/shell/dialogs/AboutDlg.h"

#include "app/core/settings/OemInfo.h"
#include "app/shell/dialogs/OpenUrl.h"

namespace quillora {

namespace {
constexpr char kSite[] = "buttonSite";
constexpr char kCompany[] = "CompanyName";
}  // namespace

CAboutDlg::CAboutDlg(const OemInfo& oem, QString productName, QString versionText)
    : oem_(oem), productName_(std::move(productName)), versionText_(std::move(versionText)) {}

void CAboutDlg::OnWindowInit() {
    SetText(QStringLiteral("ProductName"), productName_);
    SetText(QStringLiteral("LabelVersion"), versionText_);
    if (!oem_.aboutLogo.isEmpty()) {
        SetBkImage(QStringLiteral("AboutLogo"), oem_.aboutLogo);
    }
    if (!oem_.officialSite.isEmpty()) {
        SetText(QString::fromLatin1(kSite), oem_.officialSite);
    }
    if (!oem_.companyName.isEmpty()) {
        SetText(QString::fromLatin1(kCompany), oem_.companyName);
    }
    if (!oem_.dlgBgImage.isEmpty()) {
        SetBkImage(QStringLiteral("DlgFrame"), oem_.dlgBgImage);
    }
    ShowControl(QStringLiteral("LayCompanyInfo"), oem_.showOfficial);
    // Lines the branding leaves empty take no room.
    ShowControl(QString::fromLatin1(kSite), !GetText(QString::fromLatin1(kSite)).isEmpty());
    ShowControl(QString::fromLatin1(kCompany), !GetText(QString::fromLatin1(kCompany)).isEmpty());
}

void CAboutDlg::Notify(ui::TNotifyUI& msg) {
    MyBaseWindow::Notify(msg);
    if (msg.sType == ui::notify::kClick) {
        OnClick(msg);
    }
}

void CAboutDlg::OnClick(ui::TNotifyUI& msg) {
    const QString name = msg.pSender != nullptr ? msg.pSender->objectName() : QString();
    if (name == QLatin1String("btnClose")) {
        Close(kCloseOk);
    } else if (name == QLatin1String(kSite)) {
        OpenUrl(GetText(QString::fromLatin1(kSite)), this);
    }
}

}  // namespace quillora
