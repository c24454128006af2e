#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace quillora::service {

// Limits of the sign-in exchange, read from account/settings.json in the
// data folder (missing keys and a missing file give these defaults).
struct AccountSettings {
    std::int64_t codeLifetimeSeconds = 300;
    int wrongCodeLimit = 5;           // wrong tries that withdraw a number's code
    std::int64_t resendSeconds = 60;  // least time between two codes for a number
    std::int64_t tokenLifetimeSeconds = 30 * 24 * 3600;
};
AccountSettings LoadAccountSettings(const std::filesystem::path& file);

struct AccountUser {
    std::int64_t id = 0;
    std::string name;
};

// The account service's state: one-time codes per phone number (kept in
// memory), the users (account/users.json) and the token key
// (account/token-key, owner-only, made on first use). Safe from the
// connection threads: every call takes one lock.
class AccountStore {
public:
    using Clock = std::function<std::int64_t()>;  // seconds since 1970

    // `clock` null uses the system clock.
    AccountStore(std::filesystem::path folder, AccountSettings settings, Clock clock = nullptr);

    // Creates the folder and the token key. False (with the reason) when
    // either cannot be made.
    bool Prepare(std::string* problem);

    struct CodeIssue {
        enum class Status { Issued, InvalidPhone, TooSoon, Failed } status = Status::Failed;
        std::string code;             // when issued: the code to deliver
        std::int64_t retryAfter = 0;  // when too soon: seconds to wait
        std::int64_t lifetime = 0;    // when issued: seconds it stays valid
    };
    // A new six-digit code for the number, replacing any earlier one. The
    // code is appended to account/codes.log (the stand-in for the text
    // message).
    CodeIssue IssueCode(std::string_view phone);

    struct SignIn {
        enum class Status { SignedIn, InvalidPhone, NoCode, WrongCode, Expired, Withdrawn, Failed };
        Status status = Status::Failed;
        std::string token;
        AccountUser user;
        int triesLeft = 0;  // after a wrong code
    };
    // Exchanges a number's code for a token. A code works once; a wrong code
    // counts against the number, and the last allowed wrong try withdraws
    // the code, so guessing needs a new code every few tries.
    SignIn ExchangeCode(std::string_view phone, std::string_view code);

    // The user a valid token names; nullopt for an invalid or expired token
    // or a user that no longer exists.
    std::optional<AccountUser> UserForToken(std::string_view token);

    const AccountSettings& Settings() const { return settings_; }

private:
    struct PendingCode {
        std::string code;
        std::int64_t issuedAt = 0;
        int wrongTries = 0;
    };

    std::int64_t Now() const;
    AccountUser UserForPhone(const std::string& phone);  // lock held
    void LoadUsers();                                    // lock held
    bool SaveUsers() const;                              // lock held

    std::filesystem::path folder_;
    AccountSettings settings_;
    Clock clock_;
    std::mutex mutex_;
    std::string tokenKey_;
    std::map<std::string, PendingCode> codes_;
    std::map<std::string, AccountUser> users_;  // by phone number
    std::int64_t nextId_ = kFirstUserId;

    static constexpr std::int64_t kFirstUserId = 10001;
};

// The number with blanks, dashes and brackets removed; an optional leading
// "+" then 7 to 15 digits. Empty text when it is not a phone number.
std::string NormalisePhone(std::string_view phone);

// A name for a new account that does not show the whole number: the first
// three and the last four digits with "*" between ("138****5678").
std::string MaskedPhone(std::string_view normalisedPhone);

}  // namespace quillora::service
