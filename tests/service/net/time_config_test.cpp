// Server time and the signed configuration request.

#include <gtest/gtest.h>
#include <json/reader.h>

#include <chrono>

#include "LoopbackService.h"
#include "service/wire/RequestSigning.h"
#include "service/wire/SharedKeys.h"

namespace quillora::service {
namespace {

using testing::Curl;
using testing::LoopbackService;

Json::Value ParseJson(const std::string& text) {
    Json::Value value;
    Json::Reader().parse(text, value);
    return value;
}

std::string ConfigUrl(const LoopbackService& service, const std::string& time,
                      const std::string& sign) {
    return service.Base() + "/api_tarn/image_matting/config?time=" + time + "&sign=" + sign;
}

std::string ServerTime(const LoopbackService& service) {
    return ParseJson(Curl::Get(service.Base() + "/api").body)["time"].asString();
}

std::int64_t NowSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

TEST(ServerTime, AnswersCodeOneWithTheCurrentSeconds) {
    LoopbackService service;
    ASSERT_TRUE(service.Start());
    auto answer = Curl::Get(service.Base() + "/api");
    EXPECT_EQ(answer.status, 200);
    const Json::Value json = ParseJson(answer.body);
    EXPECT_EQ(json["code"].asInt(), 1);
    ASSERT_TRUE(json["time"].isString());
    const std::int64_t time = std::stoll(json["time"].asString());
    EXPECT_LE(std::abs(time - NowSeconds()), 5);
}

TEST(ServiceConfiguration, SignedRequestGetsTheSettingsAndOwnCutOutAddress) {
    LoopbackService service;
    ASSERT_TRUE(service.Start());
    const std::string time = ServerTime(service);
    auto answer = Curl::Get(ConfigUrl(service, time, ConfigSignature(kConfigApiKey, time)));
    const Json::Value json = ParseJson(answer.body);
    ASSERT_EQ(json["code"].asInt(), 1) << answer.body;
    const Json::Value& data = json["data"];
    EXPECT_EQ(data["open"].asInt(), 1);
    EXPECT_EQ(data["batchCount"].asInt(), 50);
    EXPECT_EQ(data["fileSize"].asInt(), 20480);
    EXPECT_EQ(data["totalOpenFlag"].asInt(), 0);
    EXPECT_EQ(data["url"].asString(), service.Base() + "/quillora/cutout.py");
}

TEST(ServiceConfiguration, WrongSignatureOrStaleTimeAnswersCodeZero) {
    LoopbackService service;
    ASSERT_TRUE(service.Start());
    const std::string time = ServerTime(service);
    const std::string good = ConfigSignature(kConfigApiKey, time);
    std::string flipped = good;
    flipped[0] = flipped[0] == 'a' ? 'b' : 'a';
    EXPECT_EQ(ParseJson(Curl::Get(ConfigUrl(service, time, flipped)).body)["code"].asInt(), 0);
    EXPECT_EQ(ParseJson(Curl::Get(ConfigUrl(service, time, "")).body)["code"].asInt(), 0);
    EXPECT_EQ(ParseJson(Curl::Get(service.Base() + "/api_tarn/image_matting/config").body)["code"]
                  .asInt(),
              0);
    // Signed with another key (the matting key).
    EXPECT_EQ(
        ParseJson(
            Curl::Get(ConfigUrl(service, time, ConfigSignature(kMattingApiKey, time))).body)["code"]
            .asInt(),
        0);
    // Correctly signed, but ten minutes old or ahead.
    for (const std::int64_t shift : {-600, 600}) {
        const std::string other = std::to_string(NowSeconds() + shift);
        auto answer = Curl::Get(ConfigUrl(service, other, ConfigSignature(kConfigApiKey, other)));
        EXPECT_EQ(ParseJson(answer.body)["code"].asInt(), 0) << shift;
    }
    // A time that is not a number of seconds.
    const std::string text = "soon";
    EXPECT_EQ(
        ParseJson(
            Curl::Get(ConfigUrl(service, text, ConfigSignature(kConfigApiKey, text))).body)["code"]
            .asInt(),
        0);
}

TEST(ServiceConfiguration, SettingsFileClosesTheServiceAndLowersLimits) {
    LoopbackService service;
    ServiceConfig config;
    config.open = 0;
    config.batchCount = 5;
    config.fileSizeKb = 100;
    config.totalOpenFlag = 1;
    config.mattingUrl = "http://127.0.0.1:1/elsewhere.py";
    service.Configure(config);
    ASSERT_TRUE(service.Start());
    const std::string time = ServerTime(service);
    const Json::Value data = ParseJson(
        Curl::Get(ConfigUrl(service, time, ConfigSignature(kConfigApiKey, time))).body)["data"];
    EXPECT_EQ(data["open"].asInt(), 0);
    EXPECT_EQ(data["batchCount"].asInt(), 5);
    EXPECT_EQ(data["fileSize"].asInt(), 100);
    EXPECT_EQ(data["totalOpenFlag"].asInt(), 1);
    EXPECT_EQ(data["url"].asString(), "http://127.0.0.1:1/elsewhere.py");
}

}  // namespace
}  // namespace quillora::service
