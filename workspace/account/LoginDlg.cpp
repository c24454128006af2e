#include "workspace/account/LoginDlg.h"

#include <QLineEdit>

#include "app/core/language/LangFormat.h"
#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/Messages.h"
#include "ui/TextSupplier.h"
#include "workspace/account/BackgroundCall.h"

namespace quillora {
namespace {

constexpr char kPhone[] = "edtPhone";
constexpr char kCode[] = "edtCode";
constexpr char kSendCode[] = "btnSendCode";
constexpr char kSubmit[] = "btnLoginSubmit";
constexpr char kStatus[] = "labLoginStatus";
constexpr int kDefaultResendSeconds = 60;
constexpr int kTickMs = 1000;

bool CodeWasWrong(const QString& reason) {
    return reason == QLatin1String("wrong_code") || reason == QLatin1String("expired") ||
           reason == QLatin1String("too_many") || reason == QLatin1String("no_code");
}

}  // namespace

CLoginDlg::CLoginDlg(account::AccountClient client, account::AccountSession& session)
    : client_(std::move(client)), session_(session) {
    countdownTimer_.setInterval(kTickMs);
    connect(&countdownTimer_, &QTimer::timeout, this, [this] { Tick(); });
}

void CLoginDlg::OnWindowInit() {
    SetStatus(QString());
    UpdateSendButton();
    SetControlFocus(QString::fromLatin1(kPhone));
}

void CLoginDlg::Notify(ui::TNotifyUI& msg) {
    MyBaseWindow::Notify(msg);
    if (msg.sType == ui::notify::kClick) {
        OnClick(msg);
    }
}

void CLoginDlg::OnClick(ui::TNotifyUI& msg) {
    const QString name = msg.pSender != nullptr ? msg.pSender->objectName() : QString();
    if (name == QLatin1String("btnLoginCancel")) {
        Close(kCloseCancel);
    } else if (name == QLatin1String(kSendCode)) {
        SendCode();
    } else if (name == QLatin1String(kSubmit)) {
        Submit();
    }
}

QString CLoginDlg::EnteredPhone() {
    const QString phone = account::NormalisePhone(GetText(QString::fromLatin1(kPhone)));
    if (phone.isEmpty()) {
        ShowMessage(langkey::message::kInvalidMobile, this, kMessageError);
        SetControlFocus(QString::fromLatin1(kPhone));
    }
    return phone;
}

void CLoginDlg::SendCode() {
    if (busy_ || countdown_ > 0) {
        return;
    }
    const QString phone = EnteredPhone();
    if (phone.isEmpty()) {
        return;
    }
    SetBusy(true);
    const account::AccountClient client = client_;
    account::RunInBackground<account::CodeRequestResult>(
        this, [client, phone] { return client.RequestCode(phone); },
        [this](account::CodeRequestResult result) { CodeAnswered(result); });
}

void CLoginDlg::CodeAnswered(const account::CodeRequestResult& result) {
    SetBusy(false);
    switch (result.status) {
        case account::AccountStatus::Ok:
            codeSent_ = true;
            SetStatus(LangText(langkey::message::kVerifySendByPhone));
            StartCountdown(result.resendAfter > 0 ? static_cast<int>(result.resendAfter)
                                                  : kDefaultResendSeconds);
            SetControlFocus(QString::fromLatin1(kCode));
            return;
        case account::AccountStatus::NetworkFailed:
            ShowMessage(langkey::message::kErrNetworkLost, this, kMessageError);
            return;
        case account::AccountStatus::Refused:
            break;
    }
    if (result.reason == QLatin1String("too_soon") && result.resendAfter > 0) {
        StartCountdown(static_cast<int>(result.resendAfter));
        return;
    }
    if (result.reason == QLatin1String("invalid_phone")) {
        ShowMessage(langkey::message::kInvalidMobile, this, kMessageError);
        return;
    }
    ShowMessage(langkey::message::kErrVerifySend, this, kMessageError);
}

void CLoginDlg::Submit() {
    if (busy_) {
        return;
    }
    const QString phone = EnteredPhone();
    if (phone.isEmpty()) {
        return;
    }
    const QString code = account::NormaliseCode(GetText(QString::fromLatin1(kCode)));
    if (code.isEmpty()) {
        ShowMessage(langkey::message::kInvalidVerifyCode, this, kMessageError);
        SetControlFocus(QString::fromLatin1(kCode));
        return;
    }
    SetBusy(true);
    const account::AccountClient client = client_;
    account::RunInBackground<account::SignInResult>(
        this, [client, phone, code] { return client.SignIn(phone, code); },
        [this](account::SignInResult result) { SignInAnswered(result); });
}

void CLoginDlg::SignInAnswered(const account::SignInResult& result) {
    SetBusy(false);
    if (result.status == account::AccountStatus::Ok) {
        if (session_.Remember(result)) {
            Close(kCloseOk);
        } else {
            ShowMessage(langkey::message::kAuthorizationFailed, this, kMessageError);
        }
        return;
    }
    if (result.status == account::AccountStatus::NetworkFailed) {
        ShowMessage(langkey::message::kErrNetworkLost, this, kMessageError);
        return;
    }
    // The code field is emptied so the next try starts clean.
    SetText(QString::fromLatin1(kCode), QString());
    SetControlFocus(QString::fromLatin1(kCode));
    if (CodeWasWrong(result.reason)) {
        ShowMessage(langkey::message::kInvalidVerifyCode, this, kMessageError);
    } else if (result.reason == QLatin1String("invalid_phone")) {
        ShowMessage(langkey::message::kInvalidMobile, this, kMessageError);
    } else {
        ShowMessage(langkey::message::kAuthorizationFailed, this, kMessageError);
    }
}

void CLoginDlg::StartCountdown(int seconds) {
    countdown_ = seconds;
    countdownTimer_.start();
    UpdateSendButton();
}

void CLoginDlg::Tick() {
    if (countdown_ > 0) {
        --countdown_;
    }
    if (countdown_ == 0) {
        countdownTimer_.stop();
    }
    UpdateSendButton();
}

void CLoginDlg::SetBusy(bool busy) {
    busy_ = busy;
    EnableControl(QString::fromLatin1(kSubmit), !busy);
    EnableControl(QString::fromLatin1(kPhone), !busy);
    UpdateSendButton();
    if (busy) {
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
    }
}

void CLoginDlg::UpdateSendButton() {
    const QString button = QString::fromLatin1(kSendCode);
    EnableControl(button, !busy_ && countdown_ == 0);
    if (countdown_ > 0) {
        SetText(button, FormatLangText(langkey::ui::kCpatchaValidTime, {countdown_}));
    } else if (codeSent_) {
        SetText(button, LangText(langkey::ui::kSendCpatchaAgain));
    } else {
        SetText(button, ui::CSkinManager::ControlText(QStringLiteral("LoginSendCode")));
    }
}

void CLoginDlg::SetStatus(const QString& text) {
    SetText(QString::fromLatin1(kStatus), text);
    ShowControl(QString::fromLatin1(kStatus), !text.isEmpty());
}

}  // namespace quillora
