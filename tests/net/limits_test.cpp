#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "net/transport/CurlTransfer.h"
#include "net/transport/FormPoster.h"
#include "net/transport/TextRequests.h"
#include "net/transport/TransportOptions.h"
#include "tests/net/LoopbackServer.h"

namespace quillora::net {
namespace {

using test::LoopbackServer;

// Streams 64 KiB chunks of "x" until the client goes away.
void ServeEndlessBody(httplib::Server& server, const std::string& path) {
    auto handler = [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain", [](std::size_t, httplib::DataSink& sink) {
            static const std::string chunk(64 * 1024, 'x');
            return sink.write(chunk.data(), chunk.size());
        });
    };
    server.Get(path, handler);
    server.Post(path, handler);
}

TEST(AnswerLimits, EndlessBodyStopsAtTheLimit) {
    LoopbackServer loop;
    ServeEndlessBody(loop.server(), "/endless");
    ASSERT_TRUE(loop.Start());
    Transfer t;
    t.url = loop.Url("/endless");
    t.maxAnswerBytes = 1 << 20;
    t.totalTimeoutMs = 30'000;
    const TransferResult result = PerformTransfer(t);
    EXPECT_FALSE(result.Completed());
    EXPECT_TRUE(result.answerTooLarge);
    EXPECT_LE(result.body.size(), t.maxAnswerBytes);
}

TEST(AnswerLimits, EndlessBodyGivesNoFormAnswerAndACutText) {
    LoopbackServer loop;
    ServeEndlessBody(loop.server(), "/endless");
    ASSERT_TRUE(loop.Start());
    EXPECT_EQ(FormPoster().PostForm(loop.Url("/endless"), "a=1", "X-A: 1"), "");
    // The first path gives up at its limit; the second keeps its one block.
    const std::string text = GetStringFromUrl(loop.Url("/endless"));
    EXPECT_EQ(text, std::string(kFallbackGetBytes, 'x'));
}

TEST(AnswerLimits, DeclaredLengthAboveTheLimitIsRefusedAtOnce) {
    LoopbackServer loop;
    loop.server().Get("/big", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(2 << 20, 'y'), "text/plain");
    });
    ASSERT_TRUE(loop.Start());
    Transfer t;
    t.url = loop.Url("/big");
    t.maxAnswerBytes = 1 << 20;
    const TransferResult result = PerformTransfer(t);
    EXPECT_FALSE(result.Completed());
    EXPECT_TRUE(result.body.empty());
}

TEST(HeaderLimits, MegabyteHeaderLineFailsCleanly) {
    LoopbackServer loop;
    auto handler = [](const httplib::Request&, httplib::Response& res) {
        res.set_header("X-Filler", std::string(1 << 20, 'h'));
        res.set_content("{\"code\":1}", "application/json");
    };
    loop.server().Get("/hdr", handler);
    loop.server().Post("/hdr", handler);
    ASSERT_TRUE(loop.Start());
    Transfer t;
    t.url = loop.Url("/hdr");
    const TransferResult result = PerformTransfer(t);
    EXPECT_FALSE(result.Completed());
    EXPECT_EQ(FormPoster().PostForm(loop.Url("/hdr"), "a=1", "X-A: 1"), "");
    // Neither fallback finds the end of the headers in what it reads.
    EXPECT_EQ(GetStringFromUrl(loop.Url("/hdr")), "");
}

TEST(HeaderLimits, ManyModestHeadersPastTheTotalLimitFail) {
    LoopbackServer loop;
    loop.server().Get("/many", [](const httplib::Request&, httplib::Response& res) {
        for (int i = 0; i < 200; ++i) {
            res.set_header("X-H" + std::to_string(i), std::string(1000, 'h'));
        }
        res.set_content("ok", "text/plain");
    });
    ASSERT_TRUE(loop.Start());
    Transfer t;
    t.url = loop.Url("/many");
    const TransferResult result = PerformTransfer(t);
    EXPECT_FALSE(result.Completed());
    EXPECT_TRUE(result.headersTooLarge);
}

TEST(TransferProgress, ReportsAndCanStop) {
    LoopbackServer loop;
    ServeEndlessBody(loop.server(), "/endless");
    ASSERT_TRUE(loop.Start());
    std::atomic<std::int64_t> last{0};
    Transfer t;
    t.url = loop.Url("/endless");
    t.onData = [](std::string_view) { return true; };
    t.onProgress = [&](std::int64_t received, std::int64_t) {
        last = received;
        return received < (4 << 20);
    };
    const TransferResult result = PerformTransfer(t);
    EXPECT_FALSE(result.Completed());
    EXPECT_GE(last.load(), 4 << 20);
    EXPECT_TRUE(result.body.empty());
}

}  // namespace
}  // namespace quillora::net
