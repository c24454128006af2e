#include "service/account/AccountRoutes.h"

#include <httplib.h>
#include <json/writer.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

#include "service/account/AccountStore.h"
#include "service/wire/FormBody.h"
#include "service/wire/RequestSigning.h"

namespace quillora::service {
namespace {

const char* const kJson = "application/json; charset=utf-8";
constexpr std::string_view kBearer = "Bearer ";

std::string Compact(const Json::Value& value) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, value);
}

void Answer(httplib::Response& response, const Json::Value& value, int status = 200) {
    response.status = status;
    response.set_content(Compact(value), kJson);
}

void Refuse(httplib::Response& response, const char* reason, const char* message,
            int status = 200) {
    Json::Value answer(Json::objectValue);
    answer["code"] = 0;
    answer["reason"] = reason;
    answer["msg"] = message;
    Answer(response, answer, status);
}

std::int64_t NowSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

bool FreshTime(const std::string& text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    const std::int64_t age = NowSeconds() - value;
    return age <= kAccountTimeWindowSeconds && age >= -kAccountTimeWindowSeconds;
}

// The form when it parses, carries exactly the named fields plus t and s,
// and is signed with the account key; otherwise the refusal is answered.
std::optional<FormFields> SignedForm(const httplib::Request& request, httplib::Response& response,
                                     std::initializer_list<const char*> names) {
    auto fields = ParseForm(request.body);
    if (!fields || fields->size() != names.size() + 2 || !fields->count("t") ||
        !fields->count("s")) {
        Refuse(response, "bad_form", "malformed form", 400);
        return std::nullopt;
    }
    for (const char* name : names) {
        if (!fields->count(name)) {
            Refuse(response, "bad_form", "malformed form", 400);
            return std::nullopt;
        }
    }
    if (!HasValidMattingSignature(*fields, kAccountApiKey)) {
        Refuse(response, "bad_signature", "signature does not match", 403);
        return std::nullopt;
    }
    if (!FreshTime((*fields)["t"])) {
        Refuse(response, "bad_time", "time expired", 403);
        return std::nullopt;
    }
    return fields;
}

Json::Value UserJson(const AccountUser& user) {
    Json::Value value(Json::objectValue);
    value["id"] = Json::Int64(user.id);
    value["name"] = user.name;
    return value;
}

void HandleCodeRequest(AccountStore& store, const httplib::Request& request,
                       httplib::Response& response) {
    const auto fields = SignedForm(request, response, {"phone"});
    if (!fields) {
        return;
    }
    const std::string& phone = fields->at("phone");
    const AccountStore::CodeIssue issue = store.IssueCode(phone);
    using Status = AccountStore::CodeIssue::Status;
    switch (issue.status) {
        case Status::Issued: {
            // The stand-in for the text message: whoever runs the service
            // reads the code here or in account/codes.log.
            std::fprintf(stderr, "quillora-service: sign-in code for %s is %s\n",
                         NormalisePhone(phone).c_str(), issue.code.c_str());
            Json::Value answer(Json::objectValue);
            answer["code"] = 1;
            answer["expires"] = Json::Int64(issue.lifetime);
            answer["resend"] = Json::Int64(store.Settings().resendSeconds);
            Answer(response, answer);
            return;
        }
        case Status::InvalidPhone:
            Refuse(response, "invalid_phone", "not a phone number");
            return;
        case Status::TooSoon: {
            Json::Value answer(Json::objectValue);
            answer["code"] = 0;
            answer["reason"] = "too_soon";
            answer["msg"] = "a code was sent a moment ago";
            answer["retry_after"] = Json::Int64(issue.retryAfter);
            Answer(response, answer);
            return;
        }
        case Status::Failed:
            break;
    }
    Refuse(response, "failed", "the code could not be made", 500);
}

void HandleSignIn(AccountStore& store, const httplib::Request& request,
                  httplib::Response& response) {
    const auto fields = SignedForm(request, response, {"phone", "code"});
    if (!fields) {
        return;
    }
    const AccountStore::SignIn result = store.ExchangeCode(fields->at("phone"), fields->at("code"));
    using Status = AccountStore::SignIn::Status;
    switch (result.status) {
        case Status::SignedIn: {
            Json::Value data = UserJson(result.user);
            data["token"] = result.token;
            Json::Value answer(Json::objectValue);
            answer["code"] = 1;
            answer["data"] = data;
            Answer(response, answer);
            return;
        }
        case Status::WrongCode: {
            Json::Value answer(Json::objectValue);
            answer["code"] = 0;
            answer["reason"] = "wrong_code";
            answer["msg"] = "the code is wrong";
            answer["left"] = result.triesLeft;
            Answer(response, answer);
            return;
        }
        case Status::InvalidPhone:
            Refuse(response, "invalid_phone", "not a phone number");
            return;
        case Status::NoCode:
            Refuse(response, "no_code", "no code was sent to this number");
            return;
        case Status::Expired:
            Refuse(response, "expired", "the code has expired");
            return;
        case Status::Withdrawn:
            Refuse(response, "too_many", "too many wrong codes; ask for a new code");
            return;
        case Status::Failed:
            break;
    }
    Refuse(response, "failed", "sign-in failed", 500);
}

void HandleUser(AccountStore& store, const httplib::Request& request, httplib::Response& response) {
    const std::string header = request.get_header_value("Authorization");
    if (header.compare(0, kBearer.size(), kBearer) != 0) {
        Refuse(response, "no_token", "sign in first", 401);
        return;
    }
    const auto user = store.UserForToken(std::string_view(header).substr(kBearer.size()));
    if (!user) {
        Refuse(response, "bad_token", "the sign-in has expired", 401);
        return;
    }
    Json::Value answer(Json::objectValue);
    answer["code"] = 1;
    answer["data"] = UserJson(*user);
    Answer(response, answer);
}

}  // namespace

bool RegisterAccountRoutes(httplib::Server& server, const std::filesystem::path& dataFolder,
                           std::string* problem) {
    const std::filesystem::path folder = dataFolder / "account";
    auto store =
        std::make_shared<AccountStore>(folder, LoadAccountSettings(folder / "settings.json"));
    if (!store->Prepare(problem)) {
        return false;
    }
    // The handlers share the store; it lives as long as the last of them.
    server.Post("/account/sms",
                [store](const httplib::Request& request, httplib::Response& response) {
                    HandleCodeRequest(*store, request, response);
                });
    server.Post("/account/login",
                [store](const httplib::Request& request, httplib::Response& response) {
                    HandleSignIn(*store, request, response);
                });
    server.Get("/account/user",
               [store](const httplib::Request& request, httplib::Response& response) {
                   HandleUser(*store, request, response);
               });
    return true;
}

}  // namespace quillora::service
