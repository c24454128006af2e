#pragma once

#include <cstddef>
#include <string>

namespace quillora::net {

// Text requests. Received bytes become well-formed UTF-8 text (malformed
// sequences turn into U+FFFD), converted once the whole answer is in, so a
// character split between two network reads arrives intact. The utf8 flags
// choose between UTF-8 and the ANSI code page, which here is also UTF-8.

// libcurl GET with the built-in credential; with jsonHeaders it adds the JSON
// content type and the XMLHttpRequest marker. Empty text on any failure.
std::string CurlGetText(const std::string& url, bool jsonHeaders);

// libcurl POST with "user:password" authentication. True when the exchange
// completed; the answer text (when `answer` is given) is stored either way.
bool CurlPostText(const std::string& url, const std::string& user, const std::string& password,
                  const std::string& body, std::string* answer);

// GET with fallbacks: libcurl, then the second path (WinInetGet), then the
// hand-written socket request (SocketGet), each tried only when the one
// before it brought no text. Empty text when all three fail.
std::string GetStringFromUrl(const std::string& url, bool utf8 = true, bool jsonHeaders = false);

// POST of a report body. With tryCurlFirst libcurl goes first; when it is not
// asked for or fails, the second path posts the body as a form and keeps the
// answer only when the server declared its Content-Length. True when the
// request went through on either path.
bool PostStringToUrl(const std::string& url, const char* bodyBytes, std::size_t bodyLength,
                     std::string* answer, bool utf8, bool tryCurlFirst);

// The built-in credential of CurlGetText (user, colon, password).
inline constexpr const char* kGetTextCredential = "qlra:7d2e";

}  // namespace quillora::net
