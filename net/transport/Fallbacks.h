#pragma once

#include <string>
#include <string_view>

namespace quillora::net {

// The second path of GetStringFromUrl: a plain libcurl GET with its own
// options (no credential, no extra headers, `timeoutMs` to connect and in
// total) that keeps at most the first kFallbackGetBytes of the answer.
std::string WinInetGet(const std::string& url, bool utf8, long timeoutMs);

// The second path of PostStringToUrl: a form POST whose answer is kept only
// when the server sent a positive Content-Length, and then exactly that many
// bytes. True when the server answered at all.
bool WinInetPost(const std::string& url, std::string_view body, std::string* answer, bool utf8);

// The last path of GetStringFromUrl: a hand-written HTTP/1.1 GET over a TCP
// socket. Uses the URL's port when it names one, else port 80 (also for
// https, which turns into plain text on port 80). Reads at most 4095 bytes
// until the server closes, and returns the text from the first "{" to the
// last "}" after the blank line that ends the headers; empty otherwise.
std::string SocketGet(const std::string& url, long timeoutMs);

// The extraction step of SocketGet on a raw response.
std::string ExtractBracedBody(std::string_view response);

// True when the raw response holds its whole body, judged by Content-Length
// or the last chunk of a chunked body; false while that cannot be told.
bool HttpResponseComplete(std::string_view response);

// Maximum bytes SocketGet reads.
inline constexpr std::size_t kSocketReadBytes = 4095;

}  // namespace quillora::net
