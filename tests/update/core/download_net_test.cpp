#include "update/core/Downloader.h"

#include "UpdateTestSupport.h"
#include "service/signing/DownloadSigner.h"
#include "tests/net/LoopbackServer.h"
#include "tests/net/RawServer.h"
#include "update/core/Signature.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <fstream>
#include <vector>

namespace quillora::update {
namespace {

using testing::TestFolder;

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 131 + 7) % 251);
    }
    return bytes;
}

// The signer of the build's test key, whose public half the program trusts.
std::unique_ptr<service::DownloadSigner> TestSigner(const TestFolder& folder) {
    std::string problem;
    auto signer = service::DownloadSigner::OpenOrCreate(QUILLORA_TEST_SIGNING_KEY,
                                                        folder.local("public.pem"), &problem);
    EXPECT_TRUE(signer) << problem;
    return signer;
}

struct Events : IDownLoadCallBack {
    std::vector<long> statuses;
    std::int64_t length = -2;
    std::vector<std::int64_t> progress;
    int finished = 0;
    std::int64_t stopAfter = -1;

    void OnStatus(long status) override { statuses.push_back(status); }
    void OnLength(const std::string&, std::int64_t total) override { length = total; }
    int OnProgress(bool, int, std::int64_t received, std::int64_t) override {
        progress.push_back(received);
        return stopAfter >= 0 && received >= stopAfter ? 1 : 0;
    }
    void OnFinished() override { ++finished; }
};

class ServedFiles : public ::testing::Test {
protected:
    void SetUp() override {
        auto& http = server_.server();
        http.Get("/file.bin", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(body_, "application/octet-stream");
        });
        http.Get("/file.bin.sig", [this](const httplib::Request&, httplib::Response& res) {
            if (signature_.empty()) {
                res.status = 404;
                return;
            }
            res.set_content(signature_, "application/octet-stream");
        });
        http.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("no", "text/plain");
        });
        http.Get("/loop", [this](const httplib::Request&, httplib::Response& res) {
            res.set_redirect(server_.Url("/loop"));
        });
        ASSERT_TRUE(server_.Start());
    }

    test::LoopbackServer server_;
    std::string body_ = Pattern(100'000);
    std::string signature_;
};

TEST_F(ServedFiles, CompleteFileReplacesTheDestinationOwnerOnly) {
    TestFolder folder;
    folder.write("out.bin", "old");
    Events events;
    FileDownloader downloader(&events);
    ASSERT_EQ(downloader.Download(server_.Url("/file.bin"), folder.local("out.bin"),
                                  CreationMode::AlwaysCreate),
              kDownloadOk);
    EXPECT_EQ(folder.read("out.bin").toStdString(), body_);
    EXPECT_FALSE(folder.exists("out.bin.upd"));
    EXPECT_EQ(events.statuses, std::vector<long>{200});
    EXPECT_EQ(events.length, static_cast<std::int64_t>(body_.size()));
    ASSERT_FALSE(events.progress.empty());
    EXPECT_EQ(events.progress.back(), static_cast<std::int64_t>(body_.size()));
    EXPECT_TRUE(std::is_sorted(events.progress.begin(), events.progress.end()));
    EXPECT_EQ(events.finished, 1);
    struct stat info {};
    ASSERT_EQ(::stat(folder.local("out.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(ServedFiles, FailuresReport500AndKeepTheOldFile) {
    TestFolder folder;
    folder.write("out.bin", "old");
    for (const std::string path : {"/missing", "/loop"}) {
        Events events;
        FileDownloader downloader(&events);
        EXPECT_EQ(downloader.Download(server_.Url(path), folder.local("out.bin"),
                                      CreationMode::AlwaysCreate),
                  kDownloadFailed)
            << path;
        ASSERT_FALSE(events.statuses.empty());
        EXPECT_EQ(events.statuses.back(), kFailedStatus);
        EXPECT_EQ(events.finished, 0);
        EXPECT_EQ(folder.read("out.bin"), QByteArray("old"));
        EXPECT_FALSE(folder.exists("out.bin.upd"));
    }
    FileDownloader downloader;
    EXPECT_EQ(
        downloader.Download("ftp://127.0.0.1/x", folder.local("a"), CreationMode::AlwaysCreate),
        kDownloadFailed);
    EXPECT_EQ(downloader.LastProblem(), DownloadProblem::BadAddress);
    EXPECT_EQ(downloader.Download(server_.Url("/file.bin"), folder.local("out.bin"),
                                  CreationMode::CreateNew),
              kDownloadFailed);
    EXPECT_EQ(folder.read("out.bin"), QByteArray("old"));
}

TEST_F(ServedFiles, StopFromProgressOrCancelLeavesNothing) {
    TestFolder folder;
    body_ = Pattern(4 << 20);
    Events events;
    events.stopAfter = 1;
    FileDownloader downloader(&events);
    EXPECT_EQ(downloader.Download(server_.Url("/file.bin"), folder.local("out.bin"),
                                  CreationMode::AlwaysCreate),
              kDownloadFailed);
    EXPECT_EQ(downloader.LastProblem(), DownloadProblem::Cancelled);
    EXPECT_FALSE(folder.exists("out.bin"));
    EXPECT_FALSE(folder.exists("out.bin.upd"));

    FileDownloader cancelled;
    cancelled.Cancel();
    EXPECT_EQ(cancelled.Download(server_.Url("/file.bin"), folder.local("out.bin"),
                                 CreationMode::AlwaysCreate),
              kDownloadFailed);
    EXPECT_FALSE(folder.exists("out.bin"));
}

TEST_F(ServedFiles, SignatureCheckedBeforeTheFileIsInPlace) {
    TestFolder folder;
    auto signer = TestSigner(folder);
    ASSERT_TRUE(signer);
    DownloadOptions options;
    options.verifySignature = true;

    // No signature at all.
    FileDownloader downloader;
    EXPECT_EQ(downloader.Download(server_.Url("/file.bin"), folder.local("setup"),
                                  CreationMode::AlwaysCreate, options),
              kDownloadFailed);
    EXPECT_EQ(downloader.LastProblem(), DownloadProblem::Signature);
    EXPECT_FALSE(folder.exists("setup"));
    EXPECT_FALSE(folder.exists("setup.upd"));

    // The signature of other bytes (the file was swapped on the way).
    signature_ = signer->Sign(body_);
    body_[500] ^= 1;
    EXPECT_EQ(downloader.Download(server_.Url("/file.bin"), folder.local("setup"),
                                  CreationMode::AlwaysCreate, options),
              kDownloadFailed);
    EXPECT_EQ(downloader.LastProblem(), DownloadProblem::Signature);
    EXPECT_FALSE(folder.exists("setup"));

    // Right bytes, but checked against another key.
    body_[500] ^= 1;
    TestFolder other;
    std::string problem;
    auto stranger = service::DownloadSigner::OpenOrCreate(other.local("key.pem"),
                                                          other.local("pub.pem"), &problem);
    ASSERT_TRUE(stranger);
    DownloadOptions strangerKey = options;
    strangerKey.publicKeyPem = stranger->PublicKeyPem();
    EXPECT_EQ(downloader.Download(server_.Url("/file.bin"), folder.local("setup"),
                                  CreationMode::AlwaysCreate, strangerKey),
              kDownloadFailed);
    EXPECT_FALSE(folder.exists("setup"));

    // Signed with the key the program trusts.
    EXPECT_EQ(downloader.Download(server_.Url("/file.bin"), folder.local("setup"),
                                  CreationMode::AlwaysCreate, options),
              kDownloadOk);
    EXPECT_EQ(folder.read("setup").toStdString(), body_);
}

TEST_F(ServedFiles, FullDiskDuringTheDownloadLeavesNothing) {
    TestFolder folder;
    folder.write("out.bin", "old");
    // A file-size limit makes the writes fail part-way, as a full disk does.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 20'000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    Events events;
    FileDownloader downloader(&events);
    const auto result = downloader.Download(server_.Url("/file.bin"), folder.local("out.bin"),
                                            CreationMode::AlwaysCreate);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &previous, nullptr);
    EXPECT_EQ(result, kDownloadFailed);
    EXPECT_EQ(downloader.LastProblem(), DownloadProblem::FileError);
    EXPECT_EQ(events.finished, 0);
    EXPECT_EQ(folder.read("out.bin"), QByteArray("old"));
    EXPECT_FALSE(folder.exists("out.bin.upd"));
}

TEST(SignatureKey, BuiltInKeyIsTheTestKeysPublicHalf) {
    TestFolder folder;
    auto signer = TestSigner(folder);
    ASSERT_TRUE(signer);
    EXPECT_EQ(TrustedUpdateKey(), signer->PublicKeyPem());
    const std::string data = "installer bytes";
    const std::string signature = signer->Sign(data);
    EXPECT_TRUE(VerifySignature(TrustedUpdateKey(), data, signature));
    EXPECT_FALSE(VerifySignature(TrustedUpdateKey(), data + " ", signature));
    EXPECT_FALSE(VerifySignature(TrustedUpdateKey(), data, signature.substr(0, 63)));
    EXPECT_FALSE(VerifySignature("not a key", data, signature));
}

std::string Head(std::int64_t length) {
    return "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
           std::to_string(length) + "\r\nConnection: close\r\n\r\n";
}

TEST(HostileServers, EarlyCloseLeavesNoFile) {
    TestFolder folder;
    test::RawServer server(Head(10'000) + Pattern(4'000));
    Events events;
    FileDownloader downloader(&events);
    EXPECT_EQ(downloader.Download(server.Url("/setup"), folder.local("setup"),
                                  CreationMode::AlwaysCreate),
              kDownloadFailed);
    EXPECT_FALSE(folder.exists("setup"));
    EXPECT_FALSE(folder.exists("setup.upd"));
    EXPECT_EQ(events.finished, 0);
    EXPECT_EQ(events.statuses.back(), kFailedStatus);
}

TEST(HostileServers, MoreThanDeclaredOrNoLengthIsRefused) {
    TestFolder folder;
    {
        // Declares 100 bytes, sends 5000 and closes.
        test::RawServer server(Head(100) + Pattern(5'000));
        FileDownloader downloader;
        const auto result = downloader.Download(server.Url("/setup"), folder.local("setup"),
                                                CreationMode::AlwaysCreate);
        // libcurl stops reading at the declared length; either way, what is
        // kept is never more than was declared.
        if (result == kDownloadOk) {
            EXPECT_EQ(folder.read("setup").size(), 100);
        } else {
            EXPECT_FALSE(folder.exists("setup"));
        }
        EXPECT_FALSE(folder.exists("setup.upd"));
    }
    {
        test::RawServer server("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + Pattern(3'000));
        FileDownloader downloader;
        EXPECT_EQ(downloader.Download(server.Url("/setup"), folder.local("setup2"),
                                      CreationMode::AlwaysCreate),
                  kDownloadFailed);
        EXPECT_EQ(downloader.LastProblem(), DownloadProblem::NoLength);
        EXPECT_FALSE(folder.exists("setup2"));
        EXPECT_FALSE(folder.exists("setup2.upd"));
    }
}

TEST(HostileServers, HugeDeclaredLengthFailsAtOnce) {
    TestFolder folder;
    test::RawServer server(Head(std::int64_t{6} << 30) + Pattern(1'000));
    FileDownloader downloader;
    EXPECT_EQ(downloader.Download(server.Url("/setup"), folder.local("setup"),
                                  CreationMode::AlwaysCreate),
              kDownloadFailed);
    EXPECT_EQ(downloader.LastProblem(), DownloadProblem::TooLarge);
    EXPECT_FALSE(folder.exists("setup.upd"));
    // Below the limit but beyond the disk: a small limit stands in for it.
    test::RawServer small(Head(5'000) + Pattern(5'000));
    DownloadOptions options;
    options.maxBytes = 4'000;
    EXPECT_EQ(downloader.Download(small.Url("/setup"), folder.local("setup"),
                                  CreationMode::AlwaysCreate, options),
              kDownloadFailed);
    EXPECT_EQ(downloader.LastProblem(), DownloadProblem::TooLarge);
}

TEST(HostileServers, StalledServerTimesOut) {
    TestFolder folder;
    test::LoopbackServer server;
    std::atomic<bool> release{false};
    server.server().Get("/slow", [&release](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(
            1000, "application/octet-stream",
            [&release](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset == 0) {
                    sink.write("abc", 3);
                    return true;
                }
                // Holds far longer than the stall limit: only the limit ends it soon.
                for (int i = 0; i < 500 && !release; ++i) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
                return false;
            });
    });
    ASSERT_TRUE(server.Start());
    DownloadOptions options;
    options.stallTimeoutMs = 300;
    FileDownloader downloader;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(downloader.Download(server.Url("/slow"), folder.local("slow"),
                                  CreationMode::AlwaysCreate, options),
              kDownloadFailed);
    release = true;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(folder.exists("slow"));
    EXPECT_FALSE(folder.exists("slow.upd"));
}

TEST(TemporaryFile, PlantedLinkIsNotFollowed) {
    TestFolder folder;
    folder.write("victim", "keep me");
    ASSERT_EQ(::symlink(folder.local("victim").c_str(), folder.local("setup.upd").c_str()), 0);
    test::RawServer server(Head(10) + "0123456789");
    FileDownloader downloader;
    ASSERT_EQ(downloader.Download(server.Url("/setup"), folder.local("setup"),
                                  CreationMode::AlwaysCreate),
              kDownloadOk);
    EXPECT_EQ(folder.read("victim"), QByteArray("keep me"));
    EXPECT_EQ(folder.read("setup"), QByteArray("0123456789"));
}

}  // namespace
}  // namespace quillora::update
