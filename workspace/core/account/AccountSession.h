#pragma once

#include <QString>

#include "app/core/settings/QuilloraRegistry.h"
#include "workspace/core/account/AccountClient.h"

namespace quillora::account {

// The signed-in state of this program: the token in the registry value
// `jwt` and the user it names. The token is the only thing kept; the user's
// id and name are read from the token until the service confirms them, so
// the login button shows the name even while the service is out of reach.
//
// UI thread only. A refresh runs its request elsewhere and brings the
// answer back with the token it asked with, so an answer that arrives after
// a sign-out or a new sign-in is recognised and dropped.
class AccountSession {
public:
    explicit AccountSession(QuilloraRegistry registry);

    // Reads `jwt`. True when a token is stored.
    bool Load();

    bool SignedIn() const { return !token_.isEmpty(); }
    const QString& Token() const { return token_; }
    const AccountUser& User() const { return user_; }
    // True once the service has confirmed the user in this run.
    bool Confirmed() const { return confirmed_; }
    // The id as the matting requests carry it ("%d"); empty when signed out.
    QString UserIdText() const;

    // Keeps a successful sign-in: the token goes to `jwt` at once. False
    // (and nothing kept) when the result is not a sign-in or the registry
    // cannot be written.
    bool Remember(const SignInResult& result);
    // Signs out: `jwt` and `HeadImage` are deleted and the state cleared.
    void Forget();

    enum class RefreshOutcome {
        Confirmed,    // the service named the user; name and id are current
        NetworkLost,  // no answer; the stored sign-in is kept
        SignedOut,    // the service refused the token; it has been forgotten
        Stale,        // the answer was for a token no longer held; ignored
    };
    RefreshOutcome ApplyRefresh(const QString& askedWithToken, const UserResult& answer);

private:
    QuilloraRegistry registry_;
    QString token_;
    AccountUser user_;
    bool confirmed_ = false;
};

// The id and name a token states, read without checking its signature (only
// the service can); an empty user for text that is not a token.
AccountUser UserFromTokenClaims(const QString& token);

}  // namespace quillora::account
