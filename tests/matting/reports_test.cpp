#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/codec/Aes.h"
#include "common/codec/Base64.h"
#include "matting/reports/UsageReporter.h"
#include "tests/matting/WorkerFixtures.h"
#include "tests/net/LoopbackServer.h"

namespace quillora::matting {
namespace {

using test::Gate;

// What the statistics service does with a body: Base64, then AES-128-ECB.
std::string OpenBody(const std::string& body) {
    const auto cipher = codec::Base64Decode(body);
    if (!cipher) {
        return "<not base64>";
    }
    const auto text = codec::Aes128EcbDecrypt(kReportCipherKey, *cipher);
    return text ? *text : "<not deciphered>";
}

ReportIdentity KnownIdentity(const std::string& host) {
    ReportIdentity identity;
    identity.host = host;
    identity.osBit = 64;
    identity.channelCode = "qlr-partner";
    identity.version = "1.0.0.5";
    identity.machineCode = "A1B2C3D4E5F60718";
    identity.os = "debian12";
    identity.adId = "1001";
    return identity;
}

TEST(ReportBodyTest, SixteenBytesEncipherToTwoBlocks) {
    const std::string text = "{\"a\":\"12345678\"}";
    ASSERT_EQ(text.size(), 16u);
    const std::string body = SealReport(text);
    EXPECT_EQ(body.size(), 44u);
    EXPECT_EQ(codec::Base64Decode(body)->size(), 32u);
    EXPECT_EQ(OpenBody(body), text);
    EXPECT_EQ(SealReport(text, "short key"), "");
}

TEST(ReportBodyTest, ActionTextIsStyledWithSortedMembers) {
    const std::string expected =
        "{\n"
        "   \"AdId\" : 1001,\n"
        "   \"AppApiId\" : 1,\n"
        "   \"AppId\" : 54,\n"
        "   \"ChannelCode\" : \"qlr-partner\",\n"
        "   \"MachineCode\" : \"A1B2C3D4E5F60718\",\n"
        "   \"Os\" : \"debian12\",\n"
        "   \"OsBit\" : 64,\n"
        "   \"TypeId\" : 3,\n"
        "   \"Version\" : \"1.0.0.5\"\n"
        "}\n";
    EXPECT_EQ(StyledText(ActionDocument(KnownIdentity("h"), 3)), expected);
}

TEST(ReportBodyTest, AnswersBelowOneOrNotNumbersFail) {
    EXPECT_TRUE(ReportAccepted("1"));
    EXPECT_TRUE(ReportAccepted("12"));
    EXPECT_FALSE(ReportAccepted("0"));
    EXPECT_FALSE(ReportAccepted("abc"));
    EXPECT_FALSE(ReportAccepted(""));
    EXPECT_FALSE(ReportAccepted("-3"));
}

// A statistics service on the loopback that keeps every deciphered report.
class ReporterTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* path : {"/action.ashx", "/event.ashx"}) {
            loop_.server().Post(path,
                                [this, path](const httplib::Request& req, httplib::Response& res) {
                                    gate_.Pass();
                                    {
                                        const std::lock_guard lock(mutex_);
                                        paths_.push_back(path);
                                        texts_.push_back(OpenBody(req.body));
                                    }
                                    res.set_content(answer_, "text/plain");
                                });
        }
        ASSERT_TRUE(loop_.Start());
        reporter_.identity() = KnownIdentity("127.0.0.1:" + std::to_string(loop_.port()));
    }
    void TearDown() override {
        gate_.Open();
        reporter_.IsBusy(true);
    }
    std::size_t Received() {
        const std::lock_guard lock(mutex_);
        return texts_.size();
    }

    test::LoopbackServer loop_;
    Gate gate_;
    std::string answer_ = "1";
    std::mutex mutex_;
    std::vector<std::string> paths_;
    std::vector<std::string> texts_;
    UsageReporter reporter_;
};

TEST_F(ReporterTest, ActionReportArrivesWithEveryMemberInOrder) {
    ASSERT_TRUE(reporter_.SendAction(kReportStart, false));
    ASSERT_EQ(Received(), 1u);
    EXPECT_EQ(paths_[0], "/action.ashx");
    const std::string& text = texts_[0];
    Json::Value report;
    ASSERT_TRUE(Json::Reader().parse(text, report));
    EXPECT_EQ(report["AdId"].asInt(), 1001);
    EXPECT_EQ(report["AppApiId"].asInt(), 1);
    EXPECT_EQ(report["AppId"].asInt(), 54);
    EXPECT_EQ(report["ChannelCode"].asString(), "qlr-partner");
    EXPECT_EQ(report["MachineCode"].asString(), "A1B2C3D4E5F60718");
    EXPECT_EQ(report["Os"].asString(), "debian12");
    EXPECT_EQ(report["OsBit"].asInt(), 64);
    EXPECT_EQ(report["TypeId"].asInt(), 3);
    EXPECT_EQ(report["Version"].asString(), "1.0.0.5");
    EXPECT_EQ(report.size(), 9u);
    std::size_t last = 0;
    for (const char* key :
         {"\"AdId\"", "\"AppApiId\"", "\"AppId\"", "\"ChannelCode\"", "\"MachineCode\"", "\"Os\"",
          "\"OsBit\"", "\"TypeId\"", "\"Version\""}) {
        const std::size_t at = text.find(key);
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GE(at, last) << key;
        last = at;
    }
}

TEST_F(ReporterTest, AnswersZeroAndTextFail) {
    answer_ = "0";
    EXPECT_FALSE(reporter_.SendAction(kReportInstall, false));
    answer_ = "abc";
    EXPECT_FALSE(reporter_.SendAction(kReportInstall, false));
    EXPECT_EQ(Received(), 2u);
}

TEST_F(ReporterTest, SecondBackgroundReportWhileOneRunsIsDropped) {
    std::mutex sentMutex;
    std::vector<std::tuple<bool, std::string, int>> sent;
    reporter_.setOnSent([&](bool ok, const std::string& answer, int kind) {
        const std::lock_guard lock(sentMutex);
        sent.emplace_back(ok, answer, kind);
    });
    gate_.Close();
    EXPECT_TRUE(reporter_.SendAction(kReportStart, true));
    EXPECT_FALSE(reporter_.SendAction(kReportUninstall, true));
    EXPECT_TRUE(reporter_.IsBusy(false));
    EXPECT_FALSE(reporter_.IsUploading());
    gate_.Open();
    EXPECT_FALSE(reporter_.IsBusy(true));
    EXPECT_EQ(Received(), 1u);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], std::make_tuple(true, std::string("1"), kReportStart));
    // Once it has ended the next one goes.
    EXPECT_TRUE(reporter_.SendAction(kReportUninstall, true));
    reporter_.IsBusy(true);
    EXPECT_EQ(Received(), 2u);
}

TEST_F(ReporterTest, EventsWithoutEventsSendNothing) {
    EXPECT_FALSE(reporter_.SendEvents(false));
    EXPECT_FALSE(reporter_.SendEvents(true));
    EXPECT_FALSE(reporter_.IsBusy(false));
    EXPECT_EQ(Received(), 0u);
}

TEST_F(ReporterTest, EventReportCarriesTheLogsAndEmptiesThem) {
    reporter_.identity().username = "42";
    reporter_.AddEvent("open", 3, false, "v1");
    reporter_.AddEvent("\xe4\xbf\x9d\xe5\xad\x98", 1, true, "");
    ASSERT_TRUE(reporter_.SendEvents(false));
    EXPECT_EQ(reporter_.eventCount(), 0u);
    ASSERT_EQ(Received(), 1u);
    EXPECT_EQ(paths_[0], "/event.ashx");
    Json::Value report;
    ASSERT_TRUE(Json::Reader().parse(texts_[0], report));
    EXPECT_EQ(report.getMemberNames(),
              (std::vector<std::string>{"AppId", "ChannelCode", "Logs", "MachineCode", "OsBit",
                                        "Username", "Version"}));
    EXPECT_EQ(report["Username"].asString(), "42");
    ASSERT_EQ(report["Logs"].size(), 2u);
    EXPECT_EQ(report["Logs"][0]["Code"].asString(), "open");
    EXPECT_EQ(report["Logs"][0]["Times"].asInt(), 3);
    EXPECT_EQ(report["Logs"][0]["Mode"].asInt(), 1);
    EXPECT_EQ(report["Logs"][0]["Value"].asString(), "v1");
    EXPECT_EQ(report["Logs"][1]["Code"].asString(), "\xe4\xbf\x9d\xe5\xad\x98");
    EXPECT_EQ(report["Logs"][1]["Mode"].asInt(), 2);
    EXPECT_FALSE(reporter_.SendEvents(false));
}

class UploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApplication();
        file_ = std::filesystem::temp_directory_path() /
                ("quillora-upload-" + std::to_string(::getpid()) + ".dmp");
        content_.resize(3 * 1024 * 1024);
        std::mt19937 random(7);
        for (char& c : content_) {
            c = static_cast<char>(random());
        }
        std::ofstream(file_, std::ios::binary) << content_;
    }
    void TearDown() override { std::filesystem::remove(file_); }

    std::filesystem::path file_;
    std::string content_;
};

TEST_F(UploadTest, ThreeMegabytesArriveIntact) {
    test::LoopbackServer loop;
    std::string received;
    httplib::Params query;
    std::string contentType = "text/plain; charset=utf-8";
    std::string answer = "1";
    loop.server().Post("/errorfile.ashx", [&](const httplib::Request& req, httplib::Response& res) {
        if (req.has_file("file")) {
            received = req.get_file_value("file").content;
        }
        query = req.params;
        res.set_content(answer, contentType.c_str());
    });
    ASSERT_TRUE(loop.Start());
    UsageReporter reporter;
    reporter.identity() = KnownIdentity("127.0.0.1:" + std::to_string(loop.port()));
    std::atomic<int> sentKind{0};
    reporter.setOnSent([&](bool ok, const std::string&, int kind) { sentKind = ok ? kind : -1; });

    ASSERT_TRUE(reporter.UploadFile(file_.string(), true));
    EXPECT_FALSE(reporter.IsBusy(true));
    EXPECT_EQ(sentKind.load(), kReportFileUpload);
    EXPECT_TRUE(received == content_);
    EXPECT_EQ(query.find("aid")->second, "54");
    EXPECT_EQ(query.find("v")->second, "1.0.0.5");
    EXPECT_EQ(query.find("os")->second, "debian12");

    contentType = "application/json";
    EXPECT_FALSE(reporter.UploadFile(file_.string(), false));
    contentType = "TEXT/html";
    EXPECT_TRUE(reporter.UploadFile(file_.string(), false));
    answer = "1\n";
    EXPECT_FALSE(reporter.UploadFile(file_.string(), false));
    EXPECT_FALSE(reporter.UploadFile((file_.string() + ".missing"), false));
}

// Accepts one connection and reads it a kilobyte at a time, slowly, until
// the client gives up; it never answers.
class SlowSink {
public:
    SlowSink() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int small = 16 * 1024;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(fd_, 1) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            return;
        }
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] {
            const int client = ::accept(fd_, nullptr, nullptr);
            char block[1024];
            while (client >= 0 && !stop_) {
                const ssize_t got = ::recv(client, block, sizeof block, 0);
                if (got <= 0) {
                    break;
                }
                total_ += got;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            closed_ = true;
            if (client >= 0) {
                ::close(client);
            }
        });
    }
    ~SlowSink() {
        stop_ = true;
        ::shutdown(fd_, SHUT_RDWR);
        if (thread_.joinable()) {
            thread_.join();
        }
        ::close(fd_);
    }
    int port() const { return port_; }
    long total() const { return total_; }
    bool closed() const { return closed_; }

private:
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<long> total_{0};
    std::atomic<bool> closed_{false};
};

TEST_F(UploadTest, CancelStopsTheUploadMidWay) {
    SlowSink sink;
    ASSERT_GT(sink.port(), 0);
    UsageReporter reporter;
    reporter.identity() = KnownIdentity("127.0.0.1:" + std::to_string(sink.port()));
    std::atomic<int> result{-1};
    reporter.setOnSent([&](bool ok, const std::string&, int) { result = ok ? 1 : 0; });
    ASSERT_TRUE(reporter.UploadFile(file_.string(), true));
    EXPECT_TRUE(reporter.IsUploading());
    EXPECT_FALSE(reporter.UploadFile(file_.string(), true));
    ASSERT_TRUE(test::PumpUntil([&] { return sink.total() > 64 * 1024; }));
    reporter.CancelUpload();
    EXPECT_FALSE(reporter.IsBusy(true));
    EXPECT_EQ(result.load(), 0);
    ASSERT_TRUE(test::PumpUntil([&] { return sink.closed(); }));
    EXPECT_LT(sink.total(), static_cast<long>(content_.size()));
}

}  // namespace
}  // namespace quillora::matting
