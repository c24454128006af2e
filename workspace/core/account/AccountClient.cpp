#include "workspace/core/account/AccountClient.h"

#include <chrono>
#include <map>

#include "common/codec/Base64.h"
#include "common/codec/Digest.h"
#include "net/json/JsonRead.h"
#include "net/transport/CurlTransfer.h"

namespace quillora::account {
namespace {

constexpr std::size_t kMaxAnswerBytes = 64 * 1024;
constexpr int kMinPhoneDigits = 7;
constexpr int kMaxPhoneDigits = 15;
constexpr int kMinCodeDigits = 4;
constexpr int kMaxCodeDigits = 8;

std::string NowSecondsText() {
    using namespace std::chrono;
    return std::to_string(duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
}

// The service's answers are JSON objects with a numeric "code".
bool ParseAnswer(const std::string& body, Json::Value& root) {
    return net::ParseJson(body, root) && root.isObject() && root.isMember("code");
}

AccountUser UserFrom(const Json::Value& data) {
    AccountUser user;
    user.id = net::JsonInt64(net::JsonMember(data, "id"));
    user.name = QString::fromStdString(net::JsonString(net::JsonMember(data, "name")));
    return user;
}

}  // namespace

QString NormalisePhone(const QString& phone) {
    QString digits;
    bool plus = false;
    for (const QChar c : phone.trimmed()) {
        if (c >= u'0' && c <= u'9') {
            digits.append(c);
        } else if (c == u'+' && !plus && digits.isEmpty()) {
            plus = true;
        } else if (c != u' ' && c != u'-' && c != u'(' && c != u')') {
            return {};
        }
    }
    if (digits.size() < kMinPhoneDigits || digits.size() > kMaxPhoneDigits) {
        return {};
    }
    return plus ? QStringLiteral("+") + digits : digits;
}

QString NormaliseCode(const QString& code) {
    QString digits;
    for (const QChar c : code) {
        if (c >= u'0' && c <= u'9') {
            digits.append(c);
        } else if (!c.isSpace()) {
            return {};
        }
    }
    return digits.size() >= kMinCodeDigits && digits.size() <= kMaxCodeDigits ? digits : QString();
}

QString MaskedForLog(const QString& phone) {
    QString digits = phone;
    digits.remove(u'+');
    if (digits.size() < kMinPhoneDigits) {
        return QString(digits.size(), u'*');
    }
    return digits.left(3) + QString(digits.size() - 5, u'*') + digits.right(2);
}

AccountClient::AccountClient(std::string base, std::string signingKey, LogSink log)
    : base_(std::move(base)), signingKey_(std::move(signingKey)), log_(std::move(log)) {}

void AccountClient::Log(const QString& line) const {
    if (log_) {
        log_(line);
    }
}

std::string AccountClient::PostSigned(
    const std::string& path, std::initializer_list<std::pair<const char*, std::string>> fields,
    bool* answered) const {
    // Signed like the matting form: non-empty fields in key order as
    // key=value joined by "&", HMAC-SHA-256 with the key, Base64.
    std::map<std::string, std::string> form(fields.begin(), fields.end());
    form["t"] = NowSecondsText();
    std::string signedText;
    for (const auto& [name, value] : form) {
        if (!value.empty()) {
            signedText += (signedText.empty() ? "" : "&") + name + "=" + value;
        }
    }
    form["s"] = codec::Base64Encode(codec::HmacSha256(signingKey_, signedText));
    std::string body;
    for (const auto& [name, value] : form) {
        body += (body.empty() ? "" : "&") + net::CurlEscape(name) + "=" + net::CurlEscape(value);
    }
    net::Transfer transfer;
    transfer.url = base_ + path;
    transfer.method = net::Transfer::Method::Post;
    transfer.body = body;
    transfer.headers = {"Content-Type: application/x-www-form-urlencoded"};
    transfer.connectTimeoutMs = kConnectTimeoutMs;
    transfer.totalTimeoutMs = kTotalTimeoutMs;
    transfer.maxAnswerBytes = kMaxAnswerBytes;
    const net::TransferResult result = net::PerformTransfer(transfer);
    *answered = result.Completed();
    if (!result.Completed()) {
        Log(QStringLiteral("Account: %1 failed (transfer error %2)")
                .arg(QString::fromStdString(path))
                .arg(result.curlCode));
    }
    return result.body;
}

CodeRequestResult AccountClient::RequestCode(const QString& phone) const {
    CodeRequestResult result;
    const QString number = NormalisePhone(phone);
    if (number.isEmpty()) {
        result.status = AccountStatus::Refused;
        result.reason = QStringLiteral("invalid_phone");
        return result;
    }
    bool answered = false;
    const std::string body =
        PostSigned("/account/sms", {{"phone", number.toStdString()}}, &answered);
    Json::Value root;
    if (!answered || !ParseAnswer(body, root)) {
        result.status = AccountStatus::NetworkFailed;
        return result;
    }
    if (net::JsonInt(root["code"]) == 1) {
        result.status = AccountStatus::Ok;
        result.resendAfter = net::JsonInt64(root["resend"]);
        Log(QStringLiteral("Account: code sent to %1").arg(MaskedForLog(number)));
        return result;
    }
    result.status = AccountStatus::Refused;
    result.reason = QString::fromStdString(net::JsonString(root["reason"]));
    result.resendAfter = net::JsonInt64(root["retry_after"]);
    Log(QStringLiteral("Account: code for %1 refused (%2)")
            .arg(MaskedForLog(number), result.reason));
    return result;
}

SignInResult AccountClient::SignIn(const QString& phone, const QString& code) const {
    SignInResult result;
    const QString number = NormalisePhone(phone);
    const QString digits = NormaliseCode(code);
    if (number.isEmpty() || digits.isEmpty()) {
        result.status = AccountStatus::Refused;
        result.reason =
            number.isEmpty() ? QStringLiteral("invalid_phone") : QStringLiteral("wrong_code");
        return result;
    }
    bool answered = false;
    const std::string body =
        PostSigned("/account/login",
                   {{"phone", number.toStdString()}, {"code", digits.toStdString()}}, &answered);
    Json::Value root;
    if (!answered || !ParseAnswer(body, root)) {
        result.status = AccountStatus::NetworkFailed;
        return result;
    }
    const Json::Value& data = net::JsonMember(root, "data");
    if (net::JsonInt(root["code"]) == 1) {
        result.token = QString::fromStdString(net::JsonString(net::JsonMember(data, "token")));
        result.user = UserFrom(data);
        if (!result.token.isEmpty() && result.user.id > 0) {
            result.status = AccountStatus::Ok;
            Log(QStringLiteral("Account: signed in as user %1").arg(result.user.id));
            return result;
        }
        result.token.clear();
        result.reason = QStringLiteral("bad_answer");
    } else {
        result.reason = QString::fromStdString(net::JsonString(root["reason"]));
        if (root.isMember("left")) {
            result.triesLeft = net::JsonInt(root["left"]);
        }
    }
    result.status = AccountStatus::Refused;
    Log(QStringLiteral("Account: sign-in of %1 refused (%2)")
            .arg(MaskedForLog(number), result.reason));
    return result;
}

UserResult AccountClient::FetchUser(const QString& token) const {
    UserResult result;
    if (token.isEmpty()) {
        result.status = AccountStatus::Refused;
        return result;
    }
    net::Transfer transfer;
    transfer.url = base_ + "/account/user";
    transfer.headers = {"Authorization: Bearer " + token.toStdString()};
    transfer.connectTimeoutMs = kConnectTimeoutMs;
    transfer.totalTimeoutMs = kTotalTimeoutMs;
    transfer.maxAnswerBytes = kMaxAnswerBytes;
    const net::TransferResult answer = net::PerformTransfer(transfer);
    Json::Value root;
    if (!answer.Completed() || !ParseAnswer(answer.body, root)) {
        Log(QStringLiteral("Account: user query failed (transfer error %1, HTTP %2)")
                .arg(answer.curlCode)
                .arg(answer.httpStatus));
        result.status = AccountStatus::NetworkFailed;
        return result;
    }
    if (net::JsonInt(root["code"]) == 1) {
        result.user = UserFrom(net::JsonMember(root, "data"));
        if (result.user.id > 0) {
            result.status = AccountStatus::Ok;
            return result;
        }
    }
    Log(QStringLiteral("Account: the service no longer accepts the sign-in"));
    result.status = AccountStatus::Refused;
    return result;
}

}  // namespace quillora::account
