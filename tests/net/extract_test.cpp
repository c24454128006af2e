#include <gtest/gtest.h>

#include "net/transport/Fallbacks.h"

namespace quillora::net {
namespace {

TEST(ExtractBracedBody, KeepsFirstOpeningToLastClosingBraceAfterTheHeaders) {
    EXPECT_EQ(
        ExtractBracedBody("HTTP/1.1 200 OK\r\nX-A: {no}\r\n\r\nnoise {\"a\":{\"b\":1}} tail}x"),
        "{\"a\":{\"b\":1}} tail}");
    EXPECT_EQ(ExtractBracedBody("HTTP/1.1 200 OK\r\n\r\n{}"), "{}");
}

TEST(ExtractBracedBody, ChunkedBodyKeepsTheObject) {
    EXPECT_EQ(ExtractBracedBody("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                "b\r\n{\"code\":1}\r\n0\r\n\r\n"),
              "{\"code\":1}");
}

TEST(ExtractBracedBody, EmptyWhenAPieceIsMissing) {
    // Braces only in the headers, no blank line, a lone brace, reversed braces.
    EXPECT_EQ(ExtractBracedBody("HTTP/1.1 200 OK\r\nX: {a}\r\n\r\nplain"), "");
    EXPECT_EQ(ExtractBracedBody("HTTP/1.1 200 OK\r\nX: 1\r\n{\"a\":1}"), "");
    EXPECT_EQ(ExtractBracedBody("HTTP/1.1 200 OK\r\n\r\n{\"a\":1"), "");
    EXPECT_EQ(ExtractBracedBody("HTTP/1.1 200 OK\r\n\r\n} {"), "");
    EXPECT_EQ(ExtractBracedBody(""), "");
}

TEST(HttpResponseComplete, JudgesByLengthOrLastChunk) {
    EXPECT_FALSE(HttpResponseComplete("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n"));
    EXPECT_FALSE(HttpResponseComplete("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n{}"));
    EXPECT_TRUE(HttpResponseComplete("HTTP/1.1 200 OK\r\ncontent-length:  4\r\n\r\n{ab}"));
    EXPECT_TRUE(HttpResponseComplete("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"));
    EXPECT_FALSE(HttpResponseComplete("HTTP/1.1 200 OK\r\nContent-Length: x\r\n\r\n{}"));
    EXPECT_FALSE(
        HttpResponseComplete("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\n{}\r\n"));
    EXPECT_TRUE(HttpResponseComplete(
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\n{}\r\n0\r\n\r\n"));
    // Without either header only the closing connection ends the answer.
    EXPECT_FALSE(HttpResponseComplete("HTTP/1.1 200 OK\r\n\r\n{\"a\":1}"));
}

}  // namespace
}  // namespace quillora::net
