#include <string>

#include "common/text/Utf.h"
#include "net/transport/CurlTransfer.h"
#include "net/transport/Fallbacks.h"
#include "net/transport/TransportOptions.h"

namespace quillora::net {

std::string WinInetGet(const std::string& url, bool utf8, long timeoutMs) {
    (void)utf8;  // the ANSI code page is UTF-8: both choices convert alike
    Transfer t;
    t.url = url;
    if (timeoutMs > 0) {
        t.connectTimeoutMs = timeoutMs;
        t.totalTimeoutMs = timeoutMs;
    }
    t.maxAnswerBytes = kFallbackGetBytes;
    t.cutAtLimit = true;
    TransferResult result = PerformTransfer(t);
    if (!result.Completed()) {
        return {};
    }
    return MakeValidUtf8(std::move(result.body));
}

bool WinInetPost(const std::string& url, std::string_view body, std::string* answer, bool utf8) {
    (void)utf8;
    if (answer != nullptr) {
        answer->clear();
    }
    Transfer t;
    t.url = url;
    t.method = Transfer::Method::Post;
    t.body = body;
    t.headers = {"Content-Type: application/x-www-form-urlencoded"};
    t.connectTimeoutMs = kFallbackPostOptions.connectTimeoutMs;
    t.totalTimeoutMs = kFallbackPostOptions.totalTimeoutMs;
    t.maxAnswerBytes = kFallbackPostOptions.maxAnswerBytes;
    TransferResult result = PerformTransfer(t);
    if (!result.Completed()) {
        return false;
    }
    if (answer != nullptr && result.contentLength > 0) {
        result.body.resize(
            std::min(result.body.size(), static_cast<std::size_t>(result.contentLength)));
        *answer = MakeValidUtf8(std::move(result.body));
    }
    return true;
}

}  // namespace quillora::net
