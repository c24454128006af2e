#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "matting/client/MattingClient.h"
#include "matting/config/ServiceConfig.h"
#include "tests/net/LoopbackServer.h"

namespace quillora::matting {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A service with a 1 KiB size limit whose matting sends each photo back as
// its cut-out.
class CutoutCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("quillora-cutout-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "user");
        fs::create_directories(folder_ / "app");
        auto& server = loop_.server();
        server.Get(kServerTimePath, [](const httplib::Request&, httplib::Response& res) {
            res.set_content(R"({"code":1,"time":"2026-01-02 03:04:05"})", "application/json");
        });
        server.Get(kServiceConfigPath, [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(R"({"code":1,"data":{"open":1,"batchCount":50,"fileSize":1,"url":")" +
                                loop_.Url(kMattingPath) + R"(","totalOpenFlag":0}})",
                            "application/json");
        });
        server.Post(kMattingPath, [](const httplib::Request& req, httplib::Response& res) {
            res.set_content("{\"result\":1,\"image\":\"" + req.get_param_value("image") + "\"}",
                            "application/json");
        });
        ASSERT_TRUE(loop_.Start());
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path Photo(const std::string& name, std::size_t bytes) {
        std::string content = "photo " + name + " ";
        content.resize(bytes, 'x');
        std::ofstream(folder_ / name, std::ios::binary) << content;
        return folder_ / name;
    }

    // Runs the program with the loopback service; returns its exit status.
    int Run(const std::string& arguments) {
        const std::string command = "env QUILLORA_SERVICE=" + loop_.Base() +
                                    " QUILLORA_USER_DATA=" + (folder_ / "user").string() +
                                    " QUILLORA_APP_DIR=" + (folder_ / "app").string() + " " +
                                    QUILLORA_CUTOUT_EXE + " " + arguments + " 2>&1";
        output_.clear();
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) {
            return -1;
        }
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            output_ += buffer;
        }
        const int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path folder_;
    test::LoopbackServer loop_;
    std::string output_;
};

TEST_F(CutoutCliTest, EveryPhotoCutOutGivesZero) {
    const fs::path a = Photo("a.jpg", 100);
    const fs::path b = Photo("b.png", 1024);
    const fs::path out = folder_ / "out";
    ASSERT_EQ(Run(a.string() + " " + b.string() + " --output " + out.string()), 0) << output_;
    EXPECT_EQ(ReadAll(out / "a.png"), ReadAll(a));
    EXPECT_EQ(ReadAll(out / "b.png"), ReadAll(b));
    EXPECT_NE(output_.find(a.string() + ": ok -> " + (out / "a.png").string() + "\n"),
              std::string::npos)
        << output_;
    EXPECT_NE(output_.find("2 of 2 photos cut out, 0 failed"), std::string::npos) << output_;
    // Only the cut-outs: no temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 2);
}

TEST_F(CutoutCliTest, OversizedAndMissingPhotosFailWithAReason) {
    const fs::path small = Photo("small.jpg", 50);
    const fs::path big = Photo("big.jpg", 1025);
    const fs::path missing = folder_ / "missing.jpg";
    const fs::path out = folder_ / "out";
    ASSERT_EQ(
        Run(big.string() + " " + small.string() + " " + missing.string() + " -o " + out.string()),
        1)
        << output_;
    EXPECT_FALSE(fs::exists(out / "big.png"));
    EXPECT_EQ(ReadAll(out / "small.png"), ReadAll(small));
    const std::size_t bigLine = output_.find(big.string() + ": larger than the size limit");
    const std::size_t smallLine = output_.find(small.string() + ": ok");
    const std::size_t missingLine = output_.find(missing.string() + ": no such file");
    ASSERT_NE(bigLine, std::string::npos) << output_;
    ASSERT_NE(smallLine, std::string::npos) << output_;
    ASSERT_NE(missingLine, std::string::npos) << output_;
    EXPECT_LT(bigLine, smallLine);
    EXPECT_LT(smallLine, missingLine);
    EXPECT_NE(output_.find("1 of 3 photos cut out, 2 failed"), std::string::npos) << output_;
}

TEST_F(CutoutCliTest, SameBaseNamesDoNotOverwriteEachOther) {
    fs::create_directories(folder_ / "one");
    fs::create_directories(folder_ / "two");
    const fs::path first = Photo("one/p.jpg", 60);
    const fs::path second = Photo("two/p.jpg", 70);
    const fs::path out = folder_ / "out";
    ASSERT_EQ(Run(first.string() + " " + second.string() + " --output=" + out.string()), 0)
        << output_;
    EXPECT_EQ(ReadAll(out / "p.png"), ReadAll(first));
    EXPECT_EQ(ReadAll(out / "p-2.png"), ReadAll(second));
}

TEST_F(CutoutCliTest, HelpAndUsageErrors) {
    EXPECT_EQ(Run("--help"), 0);
    EXPECT_NE(output_.find("Usage: quillora-cutout PHOTO... --output DIR"), std::string::npos);
    EXPECT_EQ(Run(Photo("x.jpg", 10).string()), 2);
    EXPECT_EQ(Run("--output"), 2);
    EXPECT_EQ(Run("--bogus x.jpg --output y"), 2);
}

}  // namespace
}  // namespace quillora::matting
