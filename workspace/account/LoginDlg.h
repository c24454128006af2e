#pragma once

#include <QTimer>

#include "app/shell/dialogs/MyBaseWindow.h"
#include "workspace/core/account/AccountClient.h"
#include "workspace/core/account/AccountSession.h"

namespace quillora {

// The sign-in dialog: a mobile phone number, "Get code", the one-time code
// and "Sign in". Requests run off the UI thread; while one runs its button
// is disabled. A successful sign-in is kept in the session (registry value
// `jwt`) before the dialog closes with kCloseOk; closing it any other way
// changes nothing. Refusals and failures are shown as messages: an invalid
// number "InvalidMobile", a wrong or expired code "InvalidVerifyCode", no
// answer "ErrNetworkLost", a code that could not be sent "ErrVerifySend",
// any other refusal "AuthorizationFailed".
class CLoginDlg : public MyBaseWindow {
    Q_OBJECT
public:
    CLoginDlg(account::AccountClient client, account::AccountSession& session);

    QString GetSkinFile() const override { return QStringLiteral("dlg_login.xml"); }
    void OnWindowInit() override;
    void Notify(ui::TNotifyUI& msg) override;
    void OnClick(ui::TNotifyUI& msg) override;

    // Seconds until "Get code" may be pressed again; 0 when it may.
    int ResendCountdown() const { return countdown_; }
    bool Busy() const { return busy_; }

private:
    // The phone number as typed, normalised; empty (after saying so) when it is
    // not a number.
    QString EnteredPhone();
    void SendCode();
    void Submit();
    void CodeAnswered(const account::CodeRequestResult& result);
    void SignInAnswered(const account::SignInResult& result);
    void StartCountdown(int seconds);
    void Tick();
    void SetBusy(bool busy);
    void UpdateSendButton();
    void SetStatus(const QString& text);

    account::AccountClient client_;
    account::AccountSession& session_;
    QTimer countdownTimer_;
    int countdown_ = 0;
    bool busy_ = false;
    bool codeSent_ = false;
};

}  // namespace quillora
