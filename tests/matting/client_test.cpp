#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <thread>

#include "common/codec/Base64.h"
#include "matting/client/MattingClient.h"
#include "net/transport/TransportOptions.h"
#include "tests/matting/MattingFixtures.h"
#include "tests/net/LoopbackServer.h"
#include "tests/net/RawServer.h"

namespace quillora::matting {
namespace {

using test::FixedClient;
using test::kThreeBytes;
using test::LoopbackServer;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("quillora-matting-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        net::SetTimeoutCapForTests(std::chrono::milliseconds(0));
        std::filesystem::remove_all(folder_);
    }
    // Serves `answer` at the matting path and records what arrives.
    void ServeAnswer(std::string answer, int status = 200) {
        loop_.server().Post(kMattingPath, [this, answer, status](const httplib::Request& req,
                                                                 httplib::Response& res) {
            {
                const std::lock_guard lock(mutex_);
                bodies_.push_back(req.body);
                params_ = req.params;
            }
            res.status = status;
            res.set_content(answer, "application/json");
        });
        ASSERT_TRUE(loop_.Start());
    }
    std::string Url() const { return loop_.Url(kMattingPath); }
    std::size_t Requests() {
        const std::lock_guard lock(mutex_);
        return bodies_.size();
    }
    std::filesystem::path WriteFile(const std::string& name, const std::string& bytes) {
        const auto path = folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::filesystem::path folder_;
    LoopbackServer loop_;
    std::mutex mutex_;
    std::vector<std::string> bodies_;
    httplib::Params params_;
};

TEST_F(ClientTest, CutOutFileSendsTheFormAndWritesTheAnswer) {
    const std::string png = "\x89PNG\r\n\x1a\n-cut-out-";
    ServeAnswer("{\"result\":1,\"image\":\"" + codec::Base64Encode(png) + "\"}");
    const auto source = WriteFile("photo.png", kThreeBytes);
    const auto output = folder_ / "out.png";
    auto client = FixedClient(Url());
    ASSERT_TRUE(client.RequestCutOutFile(source, "png", {1, true}, output));
    EXPECT_EQ(ReadAll(output), png);
    EXPECT_EQ(client.outputPath(), output);
    ASSERT_EQ(Requests(), 1u);
    // The server reads back exactly the fields that were signed and sent.
    const std::lock_guard lock(mutex_);
    EXPECT_EQ(bodies_[0], EncodeForm(client.CutOutParameters(kThreeBytes, "png", {1, true})));
    const auto param = [&](const char* key) {
        const auto it = params_.find(key);
        return it != params_.end() ? it->second : "<none>";
    };
    EXPECT_EQ(param("image"), "+/+/");
    EXPECT_EQ(param("s"), "i/y8yXqSx87NCAytxEoBuFcG8umztmSr/nNJ5sAQOng=");
    EXPECT_EQ(param("username"), "");
}

TEST_F(ClientTest, CutOutFileReplacesAnExistingOutput) {
    ServeAnswer(R"({"result":1,"image":"bmV3"})");
    const auto source = WriteFile("photo.png", kThreeBytes);
    const auto output = WriteFile("out.png", "an older and longer cut-out");
    ASSERT_TRUE(FixedClient(Url()).RequestCutOutFile(source, "png", {}, output));
    EXPECT_EQ(ReadAll(output), "new");
}

TEST_F(ClientTest, UnreadableSourceFailsWithoutARequest) {
    ServeAnswer(R"({"result":1,"image":"aGk="})");
    auto client = FixedClient(Url());
    EXPECT_FALSE(client.RequestCutOutFile(folder_ / "missing.png", "png", {}, folder_ / "o.png"));
    EXPECT_FALSE(client.RequestCutOutFile(folder_, "png", {}, folder_ / "o.png"));
    std::string out;
    EXPECT_FALSE(client.RequestCutOutData(nullptr, 3, "png", {}, out));
    EXPECT_FALSE(client.RequestCutOutData(kThreeBytes.data(), 0, "png", {}, out));
    EXPECT_EQ(Requests(), 0u);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "o.png"));
}

TEST_F(ClientTest, OutputThatCannotBeCreatedFails) {
    ServeAnswer(R"({"result":1,"image":"aGk="})");
    const auto source = WriteFile("photo.png", kThreeBytes);
    EXPECT_FALSE(
        FixedClient(Url()).RequestCutOutFile(source, "png", {}, folder_ / "no-such" / "o.png"));
}

TEST_F(ClientTest, CutOutDataHandsBackTheBytes) {
    ServeAnswer(R"({"result":"ok","image":"aGk="})");
    std::string out = "old";
    ASSERT_TRUE(FixedClient(Url()).RequestCutOutData(kThreeBytes.data(), 3, "png", {}, out));
    EXPECT_EQ(out, "hi");
}

TEST_F(ClientTest, FailedAnswerLeavesNoOutput) {
    ServeAnswer(R"({"result":1,"image":""})");
    const auto source = WriteFile("photo.png", kThreeBytes);
    EXPECT_FALSE(FixedClient(Url()).RequestCutOutFile(source, "png", {}, folder_ / "o.png"));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "o.png"));
}

TEST_F(ClientTest, ErrorPageFails) {
    ServeAnswer("<html><body>Internal Server Error</body></html>", 500);
    std::string out;
    EXPECT_FALSE(FixedClient(Url()).RequestCutOutData(kThreeBytes.data(), 3, "png", {}, out));
    EXPECT_EQ(Requests(), 1u);
}

TEST_F(ClientTest, RefineDataSendsTheMask) {
    ServeAnswer(R"({"result":1,"image":"aGk="})");
    std::string out;
    ASSERT_TRUE(FixedClient(Url()).RequestRefineData(kThreeBytes.data(), 3, "abc", 3, "jpg", out));
    EXPECT_EQ(out, "hi");
    const std::lock_guard lock(mutex_);
    EXPECT_EQ(params_.find("mask")->second, "YWJj");
    EXPECT_EQ(params_.find("quality")->second, "70");
}

TEST_F(ClientTest, RefineFileNeedsBothFiles) {
    ServeAnswer(R"({"result":1,"image":"aGk="})");
    const auto source = WriteFile("photo.jpg", kThreeBytes);
    const auto mask = WriteFile("mask.png", "m");
    auto client = FixedClient(Url());
    EXPECT_FALSE(client.RequestRefineFile(source, folder_ / "none.png", "jpg", folder_ / "o.png"));
    EXPECT_EQ(Requests(), 0u);
    ASSERT_TRUE(client.RequestRefineFile(source, mask, "jpg", folder_ / "o.png"));
    EXPECT_EQ(ReadAll(folder_ / "o.png"), "hi");
}

TEST_F(ClientTest, AnswerAfterTheTimeOutFails) {
    loop_.server().Post(kMattingPath, [](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        res.set_content(R"({"result":1,"image":"aGk="})", "application/json");
    });
    ASSERT_TRUE(loop_.Start());
    net::SetTimeoutCapForTests(std::chrono::milliseconds(300));
    std::string out;
    EXPECT_FALSE(FixedClient(Url()).RequestCutOutData(kThreeBytes.data(), 3, "png", {}, out));
    EXPECT_TRUE(out.empty());
}

TEST_F(ClientTest, ConnectionClosedWithoutABodyFails) {
    test::RawServer raw("");
    std::string out;
    EXPECT_FALSE(FixedClient(raw.Url(kMattingPath))
                     .RequestCutOutData(kThreeBytes.data(), 3, "png", {}, out));
    EXPECT_EQ(raw.requests().size(), 1u);
}

TEST_F(ClientTest, NothingListeningFails) {
    std::string out;
    EXPECT_FALSE(FixedClient("http://127.0.0.1:1/quillora/cutout.py")
                     .RequestCutOutData(kThreeBytes.data(), 3, "png", {}, out));
}

TEST_F(ClientTest, DeeplyNestedAnswerFails) {
    ServeAnswer("{\"result\":1,\"image\":\"aGk=\",\"x\":" + std::string(100'000, '[') +
                std::string(100'000, ']') + "}");
    std::string out;
    EXPECT_FALSE(FixedClient(Url()).RequestCutOutData(kThreeBytes.data(), 3, "png", {}, out));
}

TEST_F(ClientTest, FortyMegabyteAnswerSucceeds) {
    std::string picture(30'000'000, '\0');
    std::mt19937 gen(7);
    for (auto& c : picture) {
        c = static_cast<char>(gen());
    }
    const std::string answer = "{\"result\":1,\"image\":\"" + codec::Base64Encode(picture) + "\"}";
    ASSERT_GT(answer.size(), 40'000'000u);
    ServeAnswer(answer);
    const auto source = WriteFile("photo.png", kThreeBytes);
    ASSERT_TRUE(FixedClient(Url()).RequestCutOutFile(source, "png", {}, folder_ / "big.png"));
    EXPECT_TRUE(ReadAll(folder_ / "big.png") == picture);
}

}  // namespace
}  // namespace quillora::matting
