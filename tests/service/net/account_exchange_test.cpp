// The sign-in exchanges and the feedback page over HTTP, against the service
// on a loopback port, with forms signed here from OpenSSL's HMAC.

#include <gtest/gtest.h>
#include <json/reader.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <chrono>
#include <set>
#include <sstream>
#include <thread>

#include "LoopbackService.h"

namespace quillora::service {
namespace {

using testing::Curl;
using testing::HttpAnswer;
using testing::LoopbackService;
using testing::ReadAll;
using testing::WriteAll;

constexpr const char* kSmsKey = "qlr-sms-2c5f8a1e7d3b9046";

std::string Now() {
    using namespace std::chrono;
    return std::to_string(duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
}

// key=value pairs in key order joined by "&", HMAC-SHA-256, standard Base64.
std::string Sign(const std::map<std::string, std::string>& fields, const std::string& key) {
    std::string text;
    for (const auto& [name, value] : fields) {
        if (!value.empty()) {
            text += (text.empty() ? "" : "&") + name + "=" + value;
        }
    }
    unsigned char digest[32];
    unsigned int length = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
         reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest, &length);
    unsigned char encoded[64];
    const int n = EVP_EncodeBlock(encoded, digest, static_cast<int>(length));
    return std::string(reinterpret_cast<char*>(encoded), static_cast<std::size_t>(n));
}

std::string Form(std::map<std::string, std::string> fields, const std::string& key = kSmsKey) {
    fields["t"] = Now();
    fields["s"] = Sign(fields, key);
    std::string body;
    for (const auto& [name, value] : fields) {
        body += (body.empty() ? "" : "&") + name + "=" + Curl::Escape(value);
    }
    return body;
}

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// A GET with extra header lines, or a multipart POST when `mime` is given.
HttpAnswer Request(const std::string& url, const std::vector<std::string>& headerLines,
                   curl_mime* mime = nullptr, CURL* curl = nullptr) {
    HttpAnswer answer;
    curl = curl ? curl : curl_easy_init();
    curl_slist* headers = nullptr;
    for (const std::string& line : headerLines) {
        headers = curl_slist_append(headers, line.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
    if (headers) {
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    }
    if (mime) {
        curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime);
    }
    answer.result = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return answer;
}

Json::Value Parse(const HttpAnswer& answer) {
    Json::Value value;
    EXPECT_TRUE(Json::Reader().parse(answer.body, value)) << answer.body;
    return value;
}

class AccountExchange : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(service.Data() / "account");
        WriteAll(service.Data() / "account" / "settings.json",
                 R"({"codeLifetimeSeconds": 2, "wrongCodeLimit": 3, "resendSeconds": 0})");
        ASSERT_TRUE(service.Start());
    }

    HttpAnswer RequestCode(const std::string& phone) {
        return Curl::Post(service.Base() + "/account/sms", Form({{"phone", phone}}));
    }
    HttpAnswer SignIn(const std::string& phone, const std::string& code) {
        return Curl::Post(service.Base() + "/account/login",
                          Form({{"phone", phone}, {"code", code}}));
    }
    HttpAnswer User(const std::string& token) {
        return Request(service.Base() + "/account/user", {"Authorization: Bearer " + token});
    }
    // The last code codes.log holds for the number.
    std::string LoggedCode(const std::string& phone) {
        std::istringstream lines(ReadAll(service.Data() / "account" / "codes.log"));
        std::string line;
        std::string code;
        while (std::getline(lines, line)) {
            Json::Value value;
            if (Json::Reader().parse(line, value) && value["phone"].asString() == phone) {
                code = value["code"].asString();
            }
        }
        return code;
    }

    LoopbackService service;
};

TEST_F(AccountExchange, CodeTokenAndUser) {
    const Json::Value sent = Parse(RequestCode("13812345678"));
    EXPECT_EQ(sent["code"].asInt(), 1);
    EXPECT_EQ(sent["expires"].asInt(), 2);
    const std::string code = LoggedCode("13812345678");
    ASSERT_EQ(code.size(), 6u);

    const HttpAnswer answer = SignIn("13812345678", code);
    EXPECT_EQ(answer.status, 200);
    const Json::Value signedIn = Parse(answer);
    ASSERT_EQ(signedIn["code"].asInt(), 1) << answer.body;
    const std::string token = signedIn["data"]["token"].asString();
    const std::int64_t id = signedIn["data"]["id"].asInt64();
    EXPECT_GT(id, 0);
    EXPECT_EQ(signedIn["data"]["name"].asString(), "138****5678");

    const HttpAnswer user = User(token);
    EXPECT_EQ(user.status, 200);
    const Json::Value who = Parse(user);
    EXPECT_EQ(who["code"].asInt(), 1);
    EXPECT_EQ(who["data"]["id"].asInt64(), id);
    EXPECT_EQ(who["data"]["name"].asString(), "138****5678");

    std::string altered = token;
    altered.back() = altered.back() == 'A' ? 'B' : 'A';
    EXPECT_EQ(User(altered).status, 401);
    EXPECT_EQ(Parse(User(altered))["code"].asInt(), 0);
    EXPECT_EQ(Curl::Get(service.Base() + "/account/user").status, 401);
}

TEST_F(AccountExchange, WrongCodesWithdrawTheCodeAndExpiryEndsIt) {
    ASSERT_EQ(Parse(RequestCode("13800000001"))["code"].asInt(), 1);
    const std::string code = LoggedCode("13800000001");
    const std::string wrong = code == "000000" ? "111111" : "000000";
    Json::Value first = Parse(SignIn("13800000001", wrong));
    EXPECT_EQ(first["reason"].asString(), "wrong_code");
    EXPECT_EQ(first["left"].asInt(), 2);
    EXPECT_EQ(Parse(SignIn("13800000001", wrong))["left"].asInt(), 1);
    EXPECT_EQ(Parse(SignIn("13800000001", wrong))["reason"].asString(), "too_many");
    const Json::Value late = Parse(SignIn("13800000001", code));
    EXPECT_EQ(late["code"].asInt(), 0);
    EXPECT_EQ(late["reason"].asString(), "too_many");

    ASSERT_EQ(Parse(RequestCode("13800000002"))["code"].asInt(), 1);
    const std::string expiring = LoggedCode("13800000002");
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    EXPECT_EQ(Parse(SignIn("13800000002", expiring))["reason"].asString(), "expired");
}

TEST_F(AccountExchange, UnsignedOrMalformedFormsAreRefused) {
    const std::string wrongKey = Form({{"phone", "13800000001"}}, "another key");
    HttpAnswer answer = Curl::Post(service.Base() + "/account/sms", wrongKey);
    EXPECT_EQ(answer.status, 403);
    EXPECT_EQ(Parse(answer)["code"].asInt(), 0);
    answer = Curl::Post(service.Base() + "/account/sms", "phone=13800000001");
    EXPECT_EQ(answer.status, 400);
    answer = Curl::Post(service.Base() + "/account/login",
                        Form({{"phone", "13800000001"}, {"code", "1"}, {"extra", "x"}}));
    EXPECT_EQ(answer.status, 400);
    EXPECT_EQ(Parse(RequestCode("12ab"))["reason"].asString(), "invalid_phone");
    EXPECT_EQ(Parse(SignIn("13899999999", "123456"))["reason"].asString(), "no_code");
    EXPECT_FALSE(std::filesystem::exists(service.Data() / "account" / "codes.log"));
}

class Feedback : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(service.Start()); }

    struct Part {
        std::string name;
        std::string value;
        std::string fileName;
    };
    HttpAnswer PostParts(const std::vector<Part>& parts) {
        CURL* curl = curl_easy_init();
        curl_mime* mime = curl_mime_init(curl);
        for (const Part& part : parts) {
            curl_mimepart* piece = curl_mime_addpart(mime);
            curl_mime_name(piece, part.name.c_str());
            curl_mime_data(piece, part.value.data(), part.value.size());
            if (!part.fileName.empty()) {
                curl_mime_filename(piece, part.fileName.c_str());
            }
        }
        HttpAnswer answer = Request(service.Base() + "/feedback", {}, mime, curl);
        curl_mime_free(mime);
        return answer;
    }
    std::vector<std::filesystem::path> Stored(const char* extension) const {
        std::vector<std::filesystem::path> files;
        std::error_code error;
        for (const auto& entry :
             std::filesystem::directory_iterator(service.Data() / "feedback", error)) {
            if (entry.path().extension() == extension) {
                files.push_back(entry.path());
            }
        }
        return files;
    }

    LoopbackService service;
};

TEST_F(Feedback, PageIsAFormWithTheThreeFields) {
    const HttpAnswer page = Curl::Get(service.Base() + "/feedback");
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.headers.at("content-type").find("text/html"), std::string::npos);
    for (const char* field : {"name=\"text\"", "name=\"email\"", "name=\"attach_log\"",
                              "name=\"log\"", "method=\"post\""}) {
        EXPECT_NE(page.body.find(field), std::string::npos) << field;
    }
}

TEST_F(Feedback, PostWithLogIsStored) {
    const std::string log("2026-12-06 10:00:00-started\r\n\x01\xff", 32);
    const HttpAnswer answer = PostParts({{"text", "The brush <b>lags</b>", ""},
                                         {"email", "ann@example.org", ""},
                                         {"attach_log", "1", ""},
                                         {"log", log, "run.dat"}});
    EXPECT_EQ(answer.status, 200);
    EXPECT_NE(answer.body.find("id=\"thanks\""), std::string::npos);
    const auto records = Stored(".json");
    ASSERT_EQ(records.size(), 1u);
    Json::Value record;
    ASSERT_TRUE(Json::Reader().parse(ReadAll(records[0]), record));
    EXPECT_EQ(record["text"].asString(), "The brush <b>lags</b>");
    EXPECT_EQ(record["email"].asString(), "ann@example.org");
    EXPECT_EQ(record["logName"].asString(), "run.dat");
    EXPECT_EQ(record["logSize"].asUInt64(), log.size());
    EXPECT_EQ(ReadAll(service.Data() / "feedback" / record["log"].asString()), log);
}

TEST_F(Feedback, LogIsLeftOutWhenNotChosenAndFormEncodingWorks) {
    ASSERT_EQ(PostParts({{"text", "no log please", ""}, {"log", "secret", "run.dat"}}).status, 200);
    ASSERT_EQ(Curl::Post(service.Base() + "/feedback", "text=plain+form&email=").status, 200);
    const auto records = Stored(".json");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(Stored(".log").empty());
    std::set<std::string> texts;
    for (const auto& file : records) {
        Json::Value record;
        ASSERT_TRUE(Json::Reader().parse(ReadAll(file), record));
        EXPECT_FALSE(record.isMember("log"));
        texts.insert(record["text"].asString());
    }
    EXPECT_EQ(texts, (std::set<std::string>{"no log please", "plain form"}));
}

TEST_F(Feedback, RefusedPostsStoreNothingAndEchoSafely) {
    HttpAnswer answer = PostParts({{"text", "   \r\n", ""}});
    EXPECT_EQ(answer.status, 400);
    EXPECT_NE(answer.body.find("id=\"problem\""), std::string::npos);
    answer = PostParts(
        {{"text", "hello </textarea><script>x()</script>", ""}, {"email", "not an address", ""}});
    EXPECT_EQ(answer.status, 400);
    EXPECT_EQ(answer.body.find("<script>x()"), std::string::npos);
    EXPECT_NE(answer.body.find("&lt;/textarea&gt;&lt;script&gt;"), std::string::npos);
    answer = PostParts({{"text", std::string(20001, 'a'), ""}});
    EXPECT_EQ(answer.status, 400);
    EXPECT_EQ(Curl::Post(service.Base() + "/feedback", "text=%zz").status, 400);
    EXPECT_TRUE(Stored(".json").empty());
}

}  // namespace
}  // namespace quillora::service
