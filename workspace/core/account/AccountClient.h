#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

namespace quillora::account {

// The signed-in user as the account service names them.
struct AccountUser {
    std::int64_t id = 0;
    QString name;

    bool operator==(const AccountUser&) const = default;
};

// How an exchange with the account service ended. NetworkFailed: no answer
// came (no connection, time-out, or an answer that is not the service's
// JSON); Refused: the service answered and said no.
enum class AccountStatus { Ok, NetworkFailed, Refused };

struct CodeRequestResult {
    AccountStatus status = AccountStatus::NetworkFailed;
    QString reason;                // the service's reason word when refused
    std::int64_t resendAfter = 0;  // seconds before another code may be asked for
};

struct SignInResult {
    AccountStatus status = AccountStatus::NetworkFailed;
    QString reason;      // "wrong_code", "expired", "too_many", "no_code", ...
    int triesLeft = -1;  // after a wrong code, when the service says
    QString token;
    AccountUser user;
};

struct UserResult {
    AccountStatus status = AccountStatus::NetworkFailed;
    AccountUser user;
};

// The account service's three exchanges over the program's libcurl
// transport. Blocking; safe from any thread (each call is its own request).
// The phone number, code and token never reach the log sink: it gets what
// happened, the masked number and the user id.
class AccountClient {
public:
    using LogSink = std::function<void(const QString& line)>;

    // `base` is the service's base address ("http://host:port");
    // `signingKey` the SMSKey text of the language files.
    AccountClient(std::string base, std::string signingKey, LogSink log = nullptr);

    CodeRequestResult RequestCode(const QString& phone) const;
    SignInResult SignIn(const QString& phone, const QString& code) const;
    UserResult FetchUser(const QString& token) const;

    // Connection and whole-request limits of every exchange.
    static constexpr long kConnectTimeoutMs = 10'000;
    static constexpr long kTotalTimeoutMs = 20'000;

private:
    std::string PostSigned(const std::string& path,
                           std::initializer_list<std::pair<const char*, std::string>> fields,
                           bool* answered) const;
    void Log(const QString& line) const;

    std::string base_;
    std::string signingKey_;
    LogSink log_;
};

// The number with blanks, dashes and brackets removed: an optional leading
// "+" then 7 to 15 digits; empty text when it is not a phone number.
QString NormalisePhone(const QString& phone);
// A code as the user typed it: 4 to 8 digits, blanks removed; empty
// otherwise.
QString NormaliseCode(const QString& code);
// The number for the log: the first three and the last two digits.
QString MaskedForLog(const QString& phone);

}  // namespace quillora::account
