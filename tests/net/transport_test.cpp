#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "net/transport/FormPoster.h"
#include "net/transport/TextRequests.h"
#include "net/transport/TransportOptions.h"
#include "tests/net/LoopbackServer.h"
#include "tests/net/SelfSignedCert.h"

namespace quillora::net {
namespace {

using test::LoopbackServer;

struct Seen {
    std::mutex mutex;
    std::string body;
    httplib::Headers headers;
    void Record(const httplib::Request& req) {
        const std::lock_guard lock(mutex);
        body = req.body;
        headers = req.headers;
    }
    std::string Header(const std::string& name) {
        const std::lock_guard lock(mutex);
        const auto it = headers.find(name);
        return it != headers.end() ? it->second : "<none>";
    }
};

TEST(FormPoster, PostsTheBodyAndHeaderLineAndReturnsTheAnswerBytes) {
    LoopbackServer loop;
    Seen seen;
    // Answer bytes that are not text: a NUL, a stray UTF-8 lead byte.
    const std::string answer("{\"x\":1}\0\xc3", 9);
    loop.server().Post("/form", [&](const httplib::Request& req, httplib::Response& res) {
        seen.Record(req);
        res.set_content(answer, "application/octet-stream");
    });
    ASSERT_TRUE(loop.Start());
    FormPoster poster;
    const std::string got = poster.PostForm(loop.Url("/form"), "a=1&b=%2B",
                                            "Content-Type': 'application/x-www-form-urlencoded");
    EXPECT_EQ(got, answer);
    EXPECT_EQ(seen.body, "a=1&b=%2B");
    // The stray header goes out as written, and libcurl's own form type still applies.
    EXPECT_EQ(seen.Header("Content-Type'"), "'application/x-www-form-urlencoded");
    EXPECT_EQ(seen.Header("Content-Type"), "application/x-www-form-urlencoded");
}

TEST(FormPoster, ConvertingPosterMendsMalformedText) {
    LoopbackServer loop;
    loop.server().Post("/form", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("ok\xff", "text/plain");
    });
    ASSERT_TRUE(loop.Start());
    EXPECT_EQ(FormPoster(true).PostForm(loop.Url("/form"), "", "X-A: 1"), "ok\xef\xbf\xbd");
}

TEST(FormPoster, ErrorStatusStillReturnsTheAnswer) {
    LoopbackServer loop;
    loop.server().Post("/form", [](const httplib::Request&, httplib::Response& res) {
        res.status = 500;
        res.set_content("<html>Internal error</html>", "text/html");
    });
    ASSERT_TRUE(loop.Start());
    EXPECT_EQ(FormPoster().PostForm(loop.Url("/form"), "a=1", "X-A: 1"),
              "<html>Internal error</html>");
}

TEST(FormPoster, FailuresGiveEmptyAnswers) {
    FormPoster poster;
    // Nothing listens on port 1; file URLs are refused outright.
    EXPECT_EQ(poster.PostForm("http://127.0.0.1:1/form", "a=1", "X-A: 1"), "");
    EXPECT_EQ(poster.PostForm("file:///etc/hostname", "a=1", "X-A: 1"), "");
    EXPECT_EQ(poster.PostForm("not a url", "a=1", "X-A: 1"), "");
}

TEST(FormPoster, AnswerAfterTheTimeOutIsEmpty) {
    LoopbackServer loop;
    loop.server().Post("/slow", [](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        res.set_content("{\"result\":1}", "application/json");
    });
    ASSERT_TRUE(loop.Start());
    SetTimeoutCapForTests(std::chrono::milliseconds(300));
    const std::string got = FormPoster().PostForm(loop.Url("/slow"), "a=1", "X-A: 1");
    SetTimeoutCapForTests(std::chrono::milliseconds(0));
    EXPECT_EQ(got, "");
}

TEST(CurlGetText, SendsTheCredentialAndOptionalJsonHeaders) {
    LoopbackServer loop;
    Seen seen;
    loop.server().Get("/t", [&](const httplib::Request& req, httplib::Response& res) {
        seen.Record(req);
        res.set_content("{\"code\":1}", "application/json");
    });
    ASSERT_TRUE(loop.Start());
    EXPECT_EQ(CurlGetText(loop.Url("/t"), false), "{\"code\":1}");
    // printf 'qlra:7d2e' | base64
    EXPECT_EQ(seen.Header("Authorization"), "Basic cWxyYTo3ZDJl");
    EXPECT_EQ(seen.Header("X-Requested-With"), "<none>");
    EXPECT_EQ(CurlGetText(loop.Url("/t"), true), "{\"code\":1}");
    EXPECT_EQ(seen.Header("Content-Type"), "application/json;charset=UTF-8");
    EXPECT_EQ(seen.Header("X-Requested-With"), "XMLHttpRequest");
}

TEST(CurlGetText, CharacterSplitAcrossReadsArrivesWhole) {
    LoopbackServer loop;
    // "é" is C3 A9: the two bytes go out in separate chunks.
    loop.server().Get("/split", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider(
            "text/plain", [](std::size_t offset, httplib::DataSink& sink) {
                if (offset == 0) {
                    sink.write("caf\xc3", 4);
                } else if (offset == 4) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                    sink.write("\xa9!", 2);
                } else {
                    sink.done();
                }
                return true;
            });
    });
    ASSERT_TRUE(loop.Start());
    EXPECT_EQ(CurlGetText(loop.Url("/split"), false), "caf\xc3\xa9!");
}

TEST(CurlPostText, SendsUserAndPasswordAndKeepsTheAnswer) {
    LoopbackServer loop;
    Seen seen;
    loop.server().Post("/p", [&](const httplib::Request& req, httplib::Response& res) {
        seen.Record(req);
        res.set_content("1", "text/plain");
    });
    ASSERT_TRUE(loop.Start());
    std::string answer;
    EXPECT_TRUE(CurlPostText(loop.Url("/p"), "ab", "cd", "payload=1", &answer));
    EXPECT_EQ(answer, "1");
    EXPECT_EQ(seen.body, "payload=1");
    EXPECT_EQ(seen.Header("Authorization"), "Basic YWI6Y2Q=");  // "ab:cd"
    EXPECT_FALSE(CurlPostText("http://127.0.0.1:1/p", "", "", "x", &answer));
}

TEST(PostStringToUrl, CurlFirstSendsEmptyCredentials) {
    LoopbackServer loop;
    Seen seen;
    std::atomic<int> calls{0};
    loop.server().Post("/action.ashx", [&](const httplib::Request& req, httplib::Response& res) {
        ++calls;
        seen.Record(req);
        res.set_content("1", "text/plain");
    });
    ASSERT_TRUE(loop.Start());
    const std::string body = "QUJD";
    std::string answer;
    EXPECT_TRUE(
        PostStringToUrl(loop.Url("/action.ashx"), body.data(), body.size(), &answer, true, true));
    EXPECT_EQ(answer, "1");
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(seen.body, "QUJD");
    EXPECT_EQ(seen.Header("Authorization"), "Basic Og==");  // ":"
}

TEST(PostStringToUrl, SecondPathKeepsOnlyAnswersWithALength) {
    LoopbackServer loop;
    Seen seen;
    loop.server().Post("/sized", [&](const httplib::Request& req, httplib::Response& res) {
        seen.Record(req);
        res.set_content("1", "text/plain");
    });
    loop.server().Post("/chunked", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain",
                                         [](std::size_t offset, httplib::DataSink& sink) {
                                             if (offset == 0) {
                                                 sink.write("1", 1);
                                             } else {
                                                 sink.done();
                                             }
                                             return true;
                                         });
    });
    ASSERT_TRUE(loop.Start());
    const std::string body = "a=b";
    std::string answer = "stale";
    EXPECT_TRUE(
        PostStringToUrl(loop.Url("/sized"), body.data(), body.size(), &answer, true, false));
    EXPECT_EQ(answer, "1");
    EXPECT_EQ(seen.Header("Authorization"), "<none>");
    EXPECT_EQ(seen.Header("Content-Type"), "application/x-www-form-urlencoded");
    answer = "stale";
    EXPECT_TRUE(
        PostStringToUrl(loop.Url("/chunked"), body.data(), body.size(), &answer, true, false));
    EXPECT_EQ(answer, "");
    EXPECT_FALSE(
        PostStringToUrl("http://127.0.0.1:1/x", body.data(), body.size(), &answer, true, true));
}

TEST(PostStringToUrl, FailedCurlAttemptFallsBackToTheSecondPath) {
    LoopbackServer loop;
    std::atomic<int> calls{0};
    loop.server().Post("/r", [&](const httplib::Request&, httplib::Response& res) {
        if (++calls == 1) {
            // Past the (shortened) time-out of the curl attempt.
            std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        }
        res.set_content("1", "text/plain");
    });
    ASSERT_TRUE(loop.Start());
    SetTimeoutCapForTests(std::chrono::milliseconds(400));
    std::string answer;
    const bool sent = PostStringToUrl(loop.Url("/r"), "x", 1, &answer, true, true);
    SetTimeoutCapForTests(std::chrono::milliseconds(0));
    EXPECT_TRUE(sent);
    EXPECT_EQ(answer, "1");
    EXPECT_EQ(calls.load(), 2);
}

class TlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() / ("quillora-tls-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        std::string cert;
        std::string key;
        ASSERT_TRUE(test::WriteSelfSignedCert(folder_, cert, key));
        loop_ = std::make_unique<LoopbackServer>(
            std::make_unique<httplib::SSLServer>(cert.c_str(), key.c_str()));
        loop_->server().Post("/form", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("{\"result\":1}", "application/json");
        });
        loop_->server().Get("/t", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("{\"code\":1}", "application/json");
        });
        ASSERT_TRUE(loop_->Start());
    }
    void TearDown() override {
        SetVerifyTls(true);
        loop_.reset();
        std::filesystem::remove_all(folder_);
    }

    std::filesystem::path folder_;
    std::unique_ptr<LoopbackServer> loop_;
};

TEST_F(TlsTest, SelfSignedCertificateIsRefusedByDefault) {
    ASSERT_TRUE(VerifyTls());
    EXPECT_EQ(FormPoster().PostForm(loop_->Base("https") + "/form", "a=1", "X-A: 1"), "");
    EXPECT_EQ(CurlGetText(loop_->Base("https") + "/t", false), "");
}

TEST_F(TlsTest, SwitchingVerificationOffAcceptsIt) {
    SetVerifyTls(false);
    EXPECT_EQ(FormPoster().PostForm(loop_->Base("https") + "/form", "a=1", "X-A: 1"),
              "{\"result\":1}");
    EXPECT_EQ(CurlGetText(loop_->Base("https") + "/t", false), "{\"code\":1}");
}

}  // namespace
}  // namespace quillora::net
