#include "net/transport/TextRequests.h"

#include "common/text/Utf.h"
#include "net/transport/CurlScope.h"
#include "net/transport/CurlTransfer.h"
#include "net/transport/Diagnostics.h"
#include "net/transport/Fallbacks.h"
#include "net/transport/TransportOptions.h"

namespace quillora::net {
std::string CurlGetText(const std::string& url, bool jsonHeaders) {
    Transfer t;
    t.url = url;
    if (jsonHeaders) {
        t.headers = {"Content-Type:application/json;charset=UTF-8",
                     "X-Requested-With:XMLHttpRequest"};
    }
    t.userPassword = kGetTextCredential;
    t.sendUserPassword = true;
    t.connectTimeoutMs = kGetTextOptions.connectTimeoutMs;
    t.totalTimeoutMs = kGetTextOptions.totalTimeoutMs;
    t.maxAnswerBytes = kGetTextOptions.maxAnswerBytes;
    TransferResult result = PerformTransfer(t);
    if (!result.Completed()) {
        DebugLine("curl_easy_perform error = " + std::to_string(result.curlCode) + "\n");
        return {};
    }
    return MakeValidUtf8(std::move(result.body));
}

bool CurlPostText(const std::string& url, const std::string& user, const std::string& password,
                  const std::string& body, std::string* answer) {
    Transfer t;
    t.url = url;
    t.method = Transfer::Method::Post;
    t.body = body;
    t.userPassword = user + ":" + password;
    t.sendUserPassword = true;
    t.connectTimeoutMs = kPostTextOptions.connectTimeoutMs;
    t.totalTimeoutMs = kPostTextOptions.totalTimeoutMs;
    t.maxAnswerBytes = kPostTextOptions.maxAnswerBytes;
    TransferResult result = PerformTransfer(t);
    if (answer != nullptr) {
        *answer = result.answerTooLarge ? std::string() : MakeValidUtf8(std::move(result.body));
    }
    if (!result.Completed()) {
        DebugLine("curl_easy_perform error = " + std::to_string(result.curlCode) + "\n");
        return false;
    }
    return true;
}

std::string GetStringFromUrl(const std::string& url, bool utf8, bool jsonHeaders) {
    const CurlScope scope(utf8);
    std::string text = CurlGetText(url, jsonHeaders);
    if (text.empty()) {
        text = WinInetGet(url, scope.utf8(), kFallbackTimeoutMs);
    }
    if (text.empty()) {
        text = SocketGet(url, kFallbackTimeoutMs);
    }
    return text;
}

bool PostStringToUrl(const std::string& url, const char* bodyBytes, std::size_t bodyLength,
                     std::string* answer, bool utf8, bool tryCurlFirst) {
    const std::string_view body =
        bodyBytes != nullptr ? std::string_view(bodyBytes, bodyLength) : std::string_view();
    if (tryCurlFirst) {
        const CurlScope scope(utf8);
        if (CurlPostText(url, "", "", std::string(body), answer)) {
            return true;
        }
    }
    return WinInetPost(url, body, answer, utf8);
}

}  // namespace quillora::net
