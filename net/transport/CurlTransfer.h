#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillora::net {

// Process-wide libcurl initialisation, done once on first use and kept for the
// life of the process. Tearing it down around each text request (while the
// matting worker may be inside another request) would pull shared state out
// from under that request.
void EnsureCurlGlobalInit();

// One libcurl request with the settings every request of the program shares:
// HTTP and HTTPS only, no signals (requests run on several threads), TLS
// verification as the transport settings say, no redirects followed, header
// and answer size limits. The request kinds (form POST, text GET, ...) and the
// update downloader are built on it.
struct Transfer {
    enum class Method { Get, Post };

    std::string url;
    Method method = Method::Get;
    // Sent as is with its exact length (POST only); must outlive the call.
    std::string_view body;
    std::vector<std::string> headers;
    // "user:password" for basic authentication; empty sends none.
    std::string userPassword;
    bool sendUserPassword = false;
    long connectTimeoutMs = 0;  // 0: libcurl's default
    long totalTimeoutMs = 0;    // 0: none
    std::size_t maxAnswerBytes = 0;
    // When set, an answer longer than maxAnswerBytes keeps its first
    // maxAnswerBytes and the transfer stops there without counting as failed.
    bool cutAtLimit = false;
    // Streams the answer instead of collecting it in TransferResult::body;
    // returning false stops the transfer.
    std::function<bool(std::string_view chunk)> onData;
    // Called as bytes arrive (received, expected or -1); false stops.
    std::function<bool(std::int64_t received, std::int64_t total)> onProgress;
    // Called once, before the first byte of the answer's body, with the status
    // code and the Content-Length (-1 if none); false stops the transfer
    // before anything is kept. An answer without a body never calls it.
    std::function<bool(long status, std::int64_t contentLength)> onResponse;
};

struct TransferResult {
    int curlCode = -1;  // CURLE_OK (0) when the exchange completed
    long httpStatus = 0;
    std::int64_t contentLength = -1;  // from the Content-Length header, -1 if none
    std::string contentType;
    std::string body;
    bool answerTooLarge = false;
    bool headersTooLarge = false;

    bool Completed() const { return curlCode == 0; }
};

TransferResult PerformTransfer(const Transfer& transfer);

// libcurl's form escaping (curl_easy_escape): every byte other than A-Z a-z
// 0-9 - . _ ~ becomes %XX with upper-case hex digits.
std::string CurlEscape(std::string_view text);

}  // namespace quillora::net
