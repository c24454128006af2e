#pragma once

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>
#include <string>

#include "app/core/settings/QuilloraRegistry.h"
#include "ui/WaitCursor.h"
#include "workspace/core/account/AccountClient.h"
#include "workspace/core/account/AccountSession.h"

namespace quillora {

class CMainFrame;
class CFloatWnd;

// Where the account code finds its service and keeps its state. Empty or
// unset members take the program's own: the Account host of the endpoint
// table, the language file's SMSKey, the Web host's "/feedback" page, the
// user's registry store.
struct AccountHookOptions {
    std::string accountBase;
    std::string signingKey;
    QString feedbackUrl;
    std::optional<QuilloraRegistry> registry;
};

// What a refresh brings back with message 1027: the token it asked with and
// the service's answer.
struct AccountRefreshAnswer {
    QString token;
    account::UserResult answer;
};

// The user account in the main window: "btnLogin" (the sign-in dialog, or the
// user panel below the button when signed in), "btnLogout" and the menu's
// "menuLogout" (sign out after "SureLogout"), "btnCopyId" (the ID to the
// clipboard, then "CopyClipboard"), message 1027 (refresh the user from the
// service behind a wait cursor; "ErrNetworkLost" when no answer comes) and
// 1029 (redraw "btnLogin"), and "menuFeedback" (the feedback page in the web
// page dialog, titled "Feedback"). The main menu offers "menuLogout" only
// while someone is signed in. The matting worker is told the user's id
// whenever it changes.
//
// UI thread only. The refresh request runs on the shared thread pool and
// comes back as message 1027 carrying an AccountRefreshAnswer.
class CAccountHooks : public QObject {
    Q_OBJECT
public:
    // Registers the handlers with the frame, reads the stored token, draws
    // the login button and, when a token is stored, starts one refresh. The
    // object belongs to the frame.
    static CAccountHooks* Install(CMainFrame& frame, AccountHookOptions options = {});

    account::AccountSession& Session() { return session_; }
    account::AccountClient Client() const;
    // The user panel while it is open.
    CFloatWnd* UserPanel() const;
    bool Refreshing() const { return waitCursor_ != nullptr; }

    void OnLoginClicked();
    void SignOutAsked();
    void CopyId();
    void StartRefresh();
    void TakeRefresh(const AccountRefreshAnswer& refresh);
    void RedrawLogin();
    void OpenFeedback();

protected:
    // Shows the main menu's "menuLogout" only to a signed-in user.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CAccountHooks(CMainFrame& frame, AccountHookOptions options);
    void Register();
    void UserChanged();

    CMainFrame& frame_;
    AccountHookOptions options_;
    account::AccountSession session_;
    QPointer<CFloatWnd> panel_;
    std::unique_ptr<ui::CWaitCursor> waitCursor_;
};

}  // namespace quillora
