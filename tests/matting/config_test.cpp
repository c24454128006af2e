#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "matting/config/ConfigFetcher.h"
#include "matting/config/ServiceConfig.h"
#include "matting/config/ServiceFields.h"
#include "net/endpoints/Endpoints.h"
#include "tests/matting/MattingFixtures.h"
#include "tests/net/LoopbackServer.h"

namespace quillora::matting {
namespace {

using test::LoopbackServer;

constexpr const char* kDefaultUrl = "http://127.0.0.1:17650/quillora/cutout.py";

// A configuration service: the time answer and the configuration answer are
// set per test; it records the query of each configuration request.
class ConfigServer {
public:
    ConfigServer(std::string timeAnswer, std::string configAnswer)
        : timeAnswer_(std::move(timeAnswer)), configAnswer_(std::move(configAnswer)) {
        loop_.server().Get(kServerTimePath,
                           [this](const httplib::Request&, httplib::Response& res) {
                               res.set_content(timeAnswer_, "application/json");
                           });
        loop_.server().Get(kServiceConfigPath,
                           [this](const httplib::Request& req, httplib::Response& res) {
                               {
                                   const std::lock_guard lock(mutex_);
                                   ++configCalls_;
                                   time_ = req.get_param_value("time");
                                   sign_ = req.get_param_value("sign");
                               }
                               res.set_content(configAnswer_, "application/json");
                           });
    }
    bool Start() { return loop_.Start(); }
    ConfigRequest Request() const {
        return {loop_.Url(kServerTimePath), loop_.Url(kServiceConfigPath), test::kApiKey, "B"};
    }
    int configCalls() {
        const std::lock_guard lock(mutex_);
        return configCalls_;
    }
    std::string time() {
        const std::lock_guard lock(mutex_);
        return time_;
    }
    std::string sign() {
        const std::lock_guard lock(mutex_);
        return sign_;
    }

private:
    LoopbackServer loop_;
    std::string timeAnswer_;
    std::string configAnswer_;
    std::mutex mutex_;
    int configCalls_ = 0;
    std::string time_;
    std::string sign_;
};

void ExpectDefaults(const ServiceFields& fields) {
    EXPECT_TRUE(fields.serviceOpen());
    EXPECT_EQ(fields.batchLimit(), 50);
    EXPECT_EQ(fields.fileSizeLimit(), 20480);
    EXPECT_EQ(fields.fileSizeLimitText(), "20.00KB");
    EXPECT_EQ(fields.mattingUrl(), kDefaultUrl);
    EXPECT_FALSE(fields.totalOpenFlag());
}

TEST(ServiceFields, StartWithTheDefaults) {
    ExpectDefaults(ServiceFields(kDefaultUrl));
    net::InstallEndpoints(net::EndpointTable());
    EXPECT_EQ(ServiceFields().mattingUrl(), kDefaultUrl);
}

TEST(ConfigSignature, HashesTheTimeAsSent) {
    // H=$(printf '%s' '1700000000' | md5sum | cut -d' ' -f1)
    // printf '%s' "qlr-cfg-7f3a9c2e51d84b06&$H" | md5sum
    EXPECT_EQ(ConfigSignature(test::kApiKey, "1700000000"), "ec15682db72d2f22a4b46ff5feb5f14c");
    // The same with ' 1700000000 ', spaces kept.
    EXPECT_EQ(ConfigSignature(test::kApiKey, " 1700000000 "), "c1b6397bd0f094752ecd7fd4fcbb5e1d");
}

TEST(ConfigAnswer, FullDataSetsEveryField) {
    ServiceFields fields(kDefaultUrl);
    ASSERT_TRUE(ApplyConfigAnswer(R"({"code":1,"data":{"open":0,"batchCount":30,"fileSize":20480,
        "url":"http://cut.example.org/c.py","totalOpenFlag":1}})",
                                  "B", fields));
    EXPECT_FALSE(fields.serviceOpen());
    EXPECT_EQ(fields.batchLimit(), 30);
    EXPECT_EQ(fields.fileSizeLimit(), 20971520);
    EXPECT_EQ(fields.fileSizeLimitText(), "20.00MB");
    EXPECT_EQ(fields.mattingUrl(), "http://cut.example.org/c.py");
    EXPECT_TRUE(fields.totalOpenFlag());
}

TEST(ConfigAnswer, CodeOtherThanOneChangesNothing) {
    ServiceFields fields(kDefaultUrl);
    for (const char* answer :
         {R"({"code":0,"data":{"open":0,"batchCount":1,"fileSize":1,"url":"x","totalOpenFlag":1}})",
          R"({"code":"1","data":{"open":0}})", R"({"data":{"open":0}})", R"( {"code":1,"data":{}})",
          "<html>503</html>", "", R"({"code":1,"data":)"}) {
        EXPECT_FALSE(ApplyConfigAnswer(answer, "B", fields)) << answer;
        ExpectDefaults(fields);
    }
}

TEST(ConfigAnswer, PartialDataZeroesWhatItLacks) {
    ServiceFields fields(kDefaultUrl);
    ASSERT_TRUE(ApplyConfigAnswer(R"({"code":1,"data":{"fileSize":1}})", "B", fields));
    EXPECT_FALSE(fields.serviceOpen());
    EXPECT_EQ(fields.batchLimit(), 0);
    EXPECT_EQ(fields.fileSizeLimit(), 1024);
    // 1024 bytes is below the kilobyte row: the count and the language's unit.
    EXPECT_EQ(fields.fileSizeLimitText(), "1024B");
    EXPECT_EQ(fields.mattingUrl(), "");
    EXPECT_FALSE(fields.totalOpenFlag());
}

TEST(ConfigAnswer, WrongTypesAndHugeNumbersDoNotThrow) {
    ServiceFields fields(kDefaultUrl);
    ASSERT_TRUE(ApplyConfigAnswer(
        R"({"code":1,"data":{"open":"yes","batchCount":1e300,"fileSize":9.3e18,"url":{"a":1}}})",
        "B", fields));
    EXPECT_FALSE(fields.serviceOpen());
    EXPECT_EQ(fields.batchLimit(), INT32_MAX);
    EXPECT_EQ(fields.fileSizeLimit(), INT64_MAX / 1024 * 1024);
    EXPECT_EQ(fields.mattingUrl(), "");
}

TEST(ServerTime, ReadsTimeOrMessage) {
    EXPECT_EQ(ReadServerTime(R"({"code":1,"time":"1700000000"})").time, "1700000000");
    EXPECT_EQ(ReadServerTime(R"({"code":1,"time":1700000000})").time, "1700000000");
    const ServerTime refused = ReadServerTime(R"({"code":2,"msg":"closed","time":"1"})");
    EXPECT_EQ(refused.time, "");
    EXPECT_EQ(refused.error, "closed");
    EXPECT_EQ(ReadServerTime(R"( {"code":1,"time":"1"})").time, "");
    EXPECT_EQ(ReadServerTime("").time, "");
}

TEST(FetchServiceConfig, SignsTheServerTimeAndAppliesTheAnswer) {
    ConfigServer server(R"({"code":1,"time":"1700000000"})",
                        R"({"code":1,"data":{"open":1,"batchCount":12,"fileSize":20480,
                            "url":"http://cut.example.org/c.py","totalOpenFlag":0}})");
    ASSERT_TRUE(server.Start());
    ServiceFields fields(kDefaultUrl);
    ASSERT_TRUE(FetchServiceConfig(server.Request(), fields));
    EXPECT_EQ(server.time(), "1700000000");
    EXPECT_EQ(server.sign(), "ec15682db72d2f22a4b46ff5feb5f14c");
    EXPECT_EQ(fields.batchLimit(), 12);
    EXPECT_EQ(fields.fileSizeLimit(), 20971520);
    EXPECT_EQ(fields.fileSizeLimitText(), "20.00MB");
    EXPECT_EQ(fields.mattingUrl(), "http://cut.example.org/c.py");
}

TEST(FetchServiceConfig, TimeWithSpacesIsSignedWithItsSpaces) {
    ConfigServer server(R"({"code":1,"time":" 1700000000 "})", R"({"code":1,"data":{"open":1}})");
    ASSERT_TRUE(server.Start());
    ServiceFields fields(kDefaultUrl);
    ASSERT_TRUE(FetchServiceConfig(server.Request(), fields));
    EXPECT_EQ(server.time(), " 1700000000 ");
    EXPECT_EQ(server.sign(), "c1b6397bd0f094752ecd7fd4fcbb5e1d");
}

TEST(FetchServiceConfig, NoServerTimeLeavesEveryDefault) {
    ConfigServer refused(R"({"code":0,"msg":"closed"})", R"({"code":1,"data":{}})");
    ASSERT_TRUE(refused.Start());
    ServiceFields fields(kDefaultUrl);
    EXPECT_FALSE(FetchServiceConfig(refused.Request(), fields));
    EXPECT_EQ(refused.configCalls(), 0);
    ExpectDefaults(fields);
    ConfigRequest down{"http://127.0.0.1:1/api", "http://127.0.0.1:1/c", test::kApiKey, "B"};
    EXPECT_FALSE(FetchServiceConfig(down, fields));
    ExpectDefaults(fields);
}

TEST(FetchServiceConfig, HostileAnswersChangeNothing) {
    const std::string deep =
        "{\"code\":1,\"data\":" + std::string(100'000, '[') + std::string(100'000, ']') + "}";
    for (const std::string& answer : {deep, std::string("{\"code\":0,\"data\":{\"open\":0}}")}) {
        ConfigServer server(R"({"code":1,"time":"1700000000"})", answer);
        ASSERT_TRUE(server.Start());
        ServiceFields fields(kDefaultUrl);
        EXPECT_FALSE(FetchServiceConfig(server.Request(), fields));
        EXPECT_EQ(server.configCalls(), 1);
        ExpectDefaults(fields);
    }
}

TEST(ConfigFetcher, RunsOnItsOwnThreadOneAtATime) {
    std::mutex mutex;
    std::condition_variable cv;
    bool release = false;
    LoopbackServer loop;
    loop.server().Get(kServerTimePath, [&](const httplib::Request&, httplib::Response& res) {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return release; });
        res.set_content(R"({"code":1,"time":"1700000000"})", "application/json");
    });
    loop.server().Get(kServiceConfigPath, [](const httplib::Request&, httplib::Response& res) {
        res.set_content(R"({"code":1,"data":{"open":1,"batchCount":7,"fileSize":1}})",
                        "application/json");
    });
    ASSERT_TRUE(loop.Start());
    auto fields = std::make_shared<ServiceFields>(kDefaultUrl);
    std::atomic<int> made{0};
    ConfigFetcher fetcher(fields, [&] {
        ++made;
        return ConfigRequest{loop.Url(kServerTimePath), loop.Url(kServiceConfigPath), test::kApiKey,
                             "B"};
    });
    ASSERT_TRUE(fetcher.StartConfigFetch());
    EXPECT_TRUE(fetcher.Running());
    EXPECT_FALSE(fetcher.StartConfigFetch());
    // Until the fetch ends the defaults apply.
    EXPECT_EQ(fields->batchLimit(), 50);
    {
        const std::lock_guard lock(mutex);
        release = true;
    }
    cv.notify_all();
    fetcher.Wait();
    EXPECT_FALSE(fetcher.Running());
    EXPECT_EQ(fields->batchLimit(), 7);
    fields->setBatchLimit(1);
    ASSERT_TRUE(fetcher.StartConfigFetch());
    fetcher.Wait();
    EXPECT_EQ(fields->batchLimit(), 7);
    EXPECT_EQ(made.load(), 2);
}

TEST(DefaultConfigRequest, UsesTheEndpointTable) {
    net::EndpointTable table;
    table.SetBase(net::Service::ServerTime, "http://time.example.org");
    table.SetBase(net::Service::Config, "https://cfg.example.org");
    net::InstallEndpoints(table);
    const ConfigRequest request = DefaultConfigRequest();
    net::InstallEndpoints(net::EndpointTable());
    EXPECT_EQ(request.serverTimeUrl, "http://time.example.org/api");
    EXPECT_EQ(request.configUrl, "https://cfg.example.org/api_tarn/image_matting/config");
    EXPECT_EQ(ConfigRequestUrl(request.configUrl, " 17&x", "ab"),
              "https://cfg.example.org/api_tarn/image_matting/config?time=%2017%26x&sign=ab");
}

}  // namespace
}  // namespace quillora::matting
