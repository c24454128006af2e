#include "service/account/AccountStore.h"

#include <fcntl.h>
#include <openssl/rand.h>
#include <unistd.h>

#include <json/reader.h>
#include <json/writer.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>

#include "service/account/AccountToken.h"
#include "service/server/AtomicFile.h"
#include "service/wire/RequestSigning.h"

namespace quillora::service {
namespace {

constexpr std::size_t kTokenKeyBytes = 32;
constexpr int kCodeDigits = 6;
constexpr std::size_t kMinPhoneDigits = 7;
constexpr std::size_t kMaxPhoneDigits = 15;
constexpr std::uintmax_t kMaxSettingsBytes = 64 * 1024;
constexpr std::uintmax_t kMaxUsersBytes = 64 * 1024 * 1024;

std::string Compact(const Json::Value& value) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, value);
}

std::optional<Json::Value> ReadJsonFile(const std::filesystem::path& file,
                                        std::uintmax_t maxBytes) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error || size > maxBytes) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string bytes = text.str();
    Json::CharReaderBuilder builder;
    builder["stackLimit"] = 32;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    if (!reader->parse(bytes.data(), bytes.data() + bytes.size(), &value, &errors) ||
        !value.isObject()) {
        return std::nullopt;
    }
    return value;
}

std::int64_t Clamped(const Json::Value& value, std::int64_t fallback, std::int64_t low,
                     std::int64_t high) {
    if (!value.isInt64()) {
        return fallback;
    }
    return std::clamp<std::int64_t>(value.asInt64(), low, high);
}

std::int64_t SystemSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

std::optional<std::string> RandomBytes(std::size_t count) {
    std::string bytes(count, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(count)) != 1) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> NewCode() {
    const auto bytes = RandomBytes(8);
    if (!bytes) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : *bytes) {
        value = (value << 8) | static_cast<unsigned char>(c);
    }
    std::string code = std::to_string(value % 1000000);
    return std::string(kCodeDigits - code.size(), '0') + code;
}

// The key file is written owner-only before any byte of the key goes in.
bool WriteKeyFile(const std::filesystem::path& file, const std::string& key) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool written =
        ::write(fd, key.data(), key.size()) == static_cast<ssize_t>(key.size()) && ::fsync(fd) == 0;
    ::close(fd);
    if (!written) {
        std::error_code error;
        std::filesystem::remove(file, error);
    }
    return written;
}

}  // namespace

AccountSettings LoadAccountSettings(const std::filesystem::path& file) {
    AccountSettings settings;
    const auto value = ReadJsonFile(file, kMaxSettingsBytes);
    if (!value) {
        return settings;
    }
    settings.codeLifetimeSeconds =
        Clamped((*value)["codeLifetimeSeconds"], settings.codeLifetimeSeconds, 1, 86400);
    settings.wrongCodeLimit =
        static_cast<int>(Clamped((*value)["wrongCodeLimit"], settings.wrongCodeLimit, 1, 100));
    settings.resendSeconds = Clamped((*value)["resendSeconds"], settings.resendSeconds, 0, 3600);
    settings.tokenLifetimeSeconds =
        Clamped((*value)["tokenLifetimeSeconds"], settings.tokenLifetimeSeconds, 1, 366 * 86400);
    return settings;
}

std::string NormalisePhone(std::string_view phone) {
    std::string digits;
    bool plus = false;
    for (std::size_t i = 0; i < phone.size(); ++i) {
        const char c = phone[i];
        if (c >= '0' && c <= '9') {
            digits.push_back(c);
        } else if (c == '+' && !plus && digits.empty()) {
            plus = true;
        } else if (c != ' ' && c != '-' && c != '(' && c != ')') {
            return {};
        }
    }
    if (digits.size() < kMinPhoneDigits || digits.size() > kMaxPhoneDigits) {
        return {};
    }
    return plus ? "+" + digits : digits;
}

std::string MaskedPhone(std::string_view normalisedPhone) {
    std::string digits(normalisedPhone);
    if (!digits.empty() && digits.front() == '+') {
        digits.erase(digits.begin());
    }
    if (digits.size() < kMinPhoneDigits) {
        return std::string(digits.size(), '*');
    }
    return digits.substr(0, 3) + std::string(digits.size() - 7, '*') +
           digits.substr(digits.size() - 4);
}

AccountStore::AccountStore(std::filesystem::path folder, AccountSettings settings, Clock clock)
    : folder_(std::move(folder)), settings_(settings), clock_(std::move(clock)) {}

std::int64_t AccountStore::Now() const {
    return clock_ ? clock_() : SystemSeconds();
}

bool AccountStore::Prepare(std::string* problem) {
    const std::lock_guard lock(mutex_);
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) {
        if (problem) {
            *problem = "cannot create " + folder_.string() + ": " + error.message();
        }
        return false;
    }
    const std::filesystem::path keyFile = folder_ / "token-key";
    std::ifstream in(keyFile, std::ios::binary);
    std::string key((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (key.size() != kTokenKeyBytes) {
        const auto fresh = RandomBytes(kTokenKeyBytes);
        std::filesystem::remove(keyFile, error);
        if (!fresh || !WriteKeyFile(keyFile, *fresh)) {
            if (problem) {
                *problem = "cannot write the token key " + keyFile.string();
            }
            return false;
        }
        key = *fresh;
    }
    tokenKey_ = key;
    LoadUsers();
    return true;
}

void AccountStore::LoadUsers() {
    const auto value = ReadJsonFile(folder_ / "users.json", kMaxUsersBytes);
    if (!value) {
        return;
    }
    const Json::Value& users = (*value)["users"];
    if (!users.isObject()) {
        return;
    }
    for (const std::string& phone : users.getMemberNames()) {
        const Json::Value& entry = users[phone];
        if (!entry.isObject() || !entry["id"].isInt64() || !entry["name"].isString() ||
            NormalisePhone(phone) != phone) {
            continue;
        }
        const AccountUser user{entry["id"].asInt64(), entry["name"].asString()};
        users_[phone] = user;
        nextId_ = std::max(nextId_, user.id + 1);
    }
}

bool AccountStore::SaveUsers() const {
    Json::Value root(Json::objectValue);
    Json::Value users(Json::objectValue);
    for (const auto& [phone, user] : users_) {
        Json::Value entry(Json::objectValue);
        entry["id"] = Json::Int64(user.id);
        entry["name"] = user.name;
        users[phone] = entry;
    }
    root["users"] = users;
    return WriteFileAtomically(folder_ / "users.json", Compact(root) + "\n");
}

AccountUser AccountStore::UserForPhone(const std::string& phone) {
    const auto found = users_.find(phone);
    if (found != users_.end()) {
        return found->second;
    }
    AccountUser user{nextId_++, MaskedPhone(phone)};
    users_[phone] = user;
    SaveUsers();
    return user;
}

AccountStore::CodeIssue AccountStore::IssueCode(std::string_view phone) {
    CodeIssue issue;
    const std::string number = NormalisePhone(phone);
    if (number.empty()) {
        issue.status = CodeIssue::Status::InvalidPhone;
        return issue;
    }
    const std::lock_guard lock(mutex_);
    const std::int64_t now = Now();
    const auto previous = codes_.find(number);
    if (previous != codes_.end()) {
        const std::int64_t wait = previous->second.issuedAt + settings_.resendSeconds - now;
        if (wait > 0) {
            issue.status = CodeIssue::Status::TooSoon;
            issue.retryAfter = wait;
            return issue;
        }
    }
    const auto code = NewCode();
    if (!code) {
        return issue;
    }
    Json::Value line(Json::objectValue);
    line["time"] = Json::Int64(now);
    line["phone"] = number;
    line["code"] = *code;
    line["expires"] = Json::Int64(now + settings_.codeLifetimeSeconds);
    if (!AppendLine(folder_ / "codes.log", Compact(line))) {
        return issue;
    }
    codes_[number] = PendingCode{*code, now, 0};
    issue.status = CodeIssue::Status::Issued;
    issue.code = *code;
    issue.lifetime = settings_.codeLifetimeSeconds;
    return issue;
}

AccountStore::SignIn AccountStore::ExchangeCode(std::string_view phone, std::string_view code) {
    SignIn result;
    const std::string number = NormalisePhone(phone);
    if (number.empty()) {
        result.status = SignIn::Status::InvalidPhone;
        return result;
    }
    const std::lock_guard lock(mutex_);
    const auto pending = codes_.find(number);
    if (pending == codes_.end()) {
        result.status = SignIn::Status::NoCode;
        return result;
    }
    const std::int64_t now = Now();
    if (now >= pending->second.issuedAt + settings_.codeLifetimeSeconds) {
        codes_.erase(pending);
        result.status = SignIn::Status::Expired;
        return result;
    }
    if (pending->second.code.empty()) {
        result.status = SignIn::Status::Withdrawn;
        return result;
    }
    if (!SameSecret(pending->second.code, code)) {
        ++pending->second.wrongTries;
        result.triesLeft = settings_.wrongCodeLimit - pending->second.wrongTries;
        if (result.triesLeft <= 0) {
            // The code is gone, but the resend pause still counts from it.
            pending->second.code.clear();
            result.status = SignIn::Status::Withdrawn;
            result.triesLeft = 0;
            return result;
        }
        result.status = SignIn::Status::WrongCode;
        return result;
    }
    codes_.erase(pending);
    result.user = UserForPhone(number);
    result.token = MakeToken(
        TokenClaims{result.user.id, result.user.name, now, now + settings_.tokenLifetimeSeconds},
        tokenKey_);
    result.status = SignIn::Status::SignedIn;
    return result;
}

std::optional<AccountUser> AccountStore::UserForToken(std::string_view token) {
    const std::lock_guard lock(mutex_);
    const auto claims = VerifyToken(token, tokenKey_, Now());
    if (!claims) {
        return std::nullopt;
    }
    for (const auto& [phone, user] : users_) {
        if (user.id == claims->userId) {
            return user;
        }
    }
    return std::nullopt;
}

}  // namespace quillora::service
