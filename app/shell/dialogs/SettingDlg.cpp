#include "app/shell/dialogs/SettingDlg.h"

#include "app/core/language/LangKeys.h"
#include "app/core/language/Messages.h"
#include "app/core/settings/AppSettings.h"
#include "app/shell/core/DecimalNumber.h"

namespace quillora {

namespace {
constexpr char kTimestamp[] = "TimestampFileName";
constexpr char kHighQuality[] = "optHeightQualityJPG";
constexpr char kAlpha[] = "optAlphaMatting";
constexpr char kBitRate[] = "edtBitRate";
constexpr char kBtnYes[] = "btnYes";
constexpr char kBtnClose[] = "btnClose";
}  // namespace

CSettingDlg::CSettingDlg(AppSettings& settings) : settings_(settings) {}

void CSettingDlg::OnWindowInit() {
    SetCheck(QString::fromLatin1(kTimestamp), settings_.timestamp == 0);
    SetCheck(QString::fromLatin1(kHighQuality), settings_.highQualityJpeg != 0);
    SetCheck(QString::fromLatin1(kAlpha), settings_.alphaMatting == 0);
}

void CSettingDlg::Notify(ui::TNotifyUI& msg) {
    MyBaseWindow::Notify(msg);
    if (msg.sType == ui::notify::kClick) {
        OnClick(msg);
    }
}

void CSettingDlg::OnClick(ui::TNotifyUI& msg) {
    const QString name = msg.pSender != nullptr ? msg.pSender->objectName() : QString();
    if (name == QLatin1String(kBtnClose)) {
        Close(kCloseCancel);
    } else if (name == QLatin1String(kBtnYes)) {
        Save();
    }
}

void CSettingDlg::Save() {
    const QString bitRate = GetText(QString::fromLatin1(kBitRate));
    if (!bitRate.isEmpty() && shell::ReadInt64(bitRate) > kMaxBitRate) {
        ShowMessage(langkey::message::kBitRateTooLog, this, kMessageError);
        return;
    }
    SetTimestamp(settings_, GetCheck(QString::fromLatin1(kTimestamp)) ? 0 : 1);
    SetHighQualityJpeg(settings_, GetCheck(QString::fromLatin1(kHighQuality)) ? 1 : 0);
    SetAlphaMatting(settings_, GetCheck(QString::fromLatin1(kAlpha)) ? 0 : 1);
    Close(kCloseOk);
}

}  // namespace quillora
