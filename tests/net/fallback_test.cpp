#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "net/transport/Fallbacks.h"
#include "net/transport/TextRequests.h"
#include "tests/net/LoopbackServer.h"
#include "tests/net/RawServer.h"

namespace quillora::net {
namespace {

using test::LoopbackServer;
using test::RawServer;

// Which of the three paths a request came from: only the first carries the
// credential, only the hand-written one spells its host header "HOST:".
enum class Path { Curl, Second, Socket };

class RecordingServer {
public:
    // Answers `answer` from the request numbered `answerFrom` (1-based) on,
    // an empty body before that.
    RecordingServer(int answerFrom, std::string answer) {
        loop_.server().Get("/cfg", [this, answerFrom, answer](const httplib::Request& req,
                                                              httplib::Response& res) {
            const std::lock_guard lock(mutex_);
            paths_.push_back(req.has_header("Authorization")                 ? Path::Curl
                             : req.get_header_value("Connection") == "Close" ? Path::Socket
                                                                             : Path::Second);
            res.set_content(static_cast<int>(paths_.size()) >= answerFrom ? answer : "",
                            "application/json");
        });
    }
    bool Start() { return loop_.Start(); }
    std::string Url(const std::string& path) const { return loop_.Url(path); }
    std::vector<Path> paths() {
        const std::lock_guard lock(mutex_);
        return paths_;
    }

private:
    LoopbackServer loop_;
    std::mutex mutex_;
    std::vector<Path> paths_;
};

TEST(GetStringFromUrl, FirstPathAnswersAlone) {
    RecordingServer server(1, "{\"code\":1}");
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(GetStringFromUrl(server.Url("/cfg")), "{\"code\":1}");
    EXPECT_EQ(server.paths(), std::vector<Path>{Path::Curl});
}

TEST(GetStringFromUrl, EmptyFirstAnswerFallsBackToTheSecondPath) {
    RecordingServer server(2, "{\"code\":2}");
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(GetStringFromUrl(server.Url("/cfg")), "{\"code\":2}");
    EXPECT_EQ(server.paths(), (std::vector<Path>{Path::Curl, Path::Second}));
}

TEST(GetStringFromUrl, TwoEmptyAnswersFallBackToTheSocket) {
    RecordingServer server(3, "{\"code\":3}");
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(GetStringFromUrl(server.Url("/cfg?time=1&sign=ab")), "{\"code\":3}");
    EXPECT_EQ(server.paths(), (std::vector<Path>{Path::Curl, Path::Second, Path::Socket}));
}

TEST(GetStringFromUrl, EmptyWhenAllThreePathsFail) {
    RecordingServer server(4, "{\"never\":1}");
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(GetStringFromUrl(server.Url("/cfg")), "");
    EXPECT_EQ(server.paths().size(), 3u);
}

TEST(GetStringFromUrl, ConnectionClosedWithoutABodyTriesEveryPath) {
    RawServer raw("");
    ASSERT_GT(raw.port(), 0);
    EXPECT_EQ(GetStringFromUrl(raw.Url("/api")), "");
    EXPECT_EQ(raw.requests().size(), 3u);
}

TEST(GetStringFromUrl, NothingListeningGivesEmptyText) {
    EXPECT_EQ(GetStringFromUrl("http://127.0.0.1:1/api"), "");
    EXPECT_EQ(GetStringFromUrl(""), "");
}

TEST(WinInetGet, KeepsTheFirst4096Bytes) {
    LoopbackServer loop;
    std::string big(10000, 'a');
    big[4095] = 'z';
    loop.server().Get("/big", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(big, "text/plain");
    });
    ASSERT_TRUE(loop.Start());
    const std::string got = WinInetGet(loop.Url("/big"), true, 20000);
    ASSERT_EQ(got.size(), 4096u);
    EXPECT_EQ(got.back(), 'z');
}

TEST(SocketGet, SendsTheDescribedRequestAndKeepsTheBracedText) {
    RawServer raw(
        "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<p>{\"code\":1,\"time\":\"17\"}</p>\n");
    ASSERT_GT(raw.port(), 0);
    EXPECT_EQ(SocketGet(raw.Url("/api?x=1&y=2"), 20000), "{\"code\":1,\"time\":\"17\"}");
    const auto requests = raw.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], "GET /api?x=1&y=2 HTTP/1.1\r\nHOST:127.0.0.1:" +
                               std::to_string(raw.port()) + "\r\nConnection: Close\r\n\r\n");
}

TEST(SocketGet, EmptyWithoutBlankLineOrBraces) {
    RawServer noBlank("HTTP/1.1 200 OK\r\nX: {\"a\":1}\r\n");
    RawServer noBraces("HTTP/1.1 200 OK\r\n\r\nplain text");
    RawServer nothing("");
    EXPECT_EQ(SocketGet(noBlank.Url("/"), 20000), "");
    EXPECT_EQ(SocketGet(noBraces.Url("/"), 20000), "");
    EXPECT_EQ(SocketGet(nothing.Url("/"), 20000), "");
}

TEST(SocketGet, ReadsAtMost4095Bytes) {
    // The closing brace sits past the read limit, so no whole object arrives.
    const std::string head = "HTTP/1.1 200 OK\r\n\r\n{";
    std::string answer = head + std::string(kSocketReadBytes, 'x') + "}";
    RawServer raw(answer);
    EXPECT_EQ(SocketGet(raw.Url("/"), 20000), "");
    std::string fits = head + std::string(kSocketReadBytes - head.size() - 1, 'x') + "}";
    RawServer rawFits(fits);
    EXPECT_EQ(SocketGet(rawFits.Url("/"), 20000).size(), kSocketReadBytes - head.size() + 1);
}

TEST(SocketGet, UnusableUrlsGiveEmptyText) {
    EXPECT_EQ(SocketGet("", 1000), "");
    EXPECT_EQ(SocketGet("http://", 1000), "");
    EXPECT_EQ(SocketGet("http://127.0.0.1:1/api", 1000), "");
}

}  // namespace
}  // namespace quillora::net
