#include "net/transport/FormPoster.h"

#include <string>

#include "common/text/Utf.h"
#include "net/transport/CurlTransfer.h"
#include "net/transport/Diagnostics.h"
#include "net/transport/TransportOptions.h"

namespace quillora::net {

std::string FormPoster::PostForm(const std::string& url, const std::string& body,
                                 const std::string& headerLine) {
    Transfer t;
    t.url = url;
    t.method = Transfer::Method::Post;
    t.body = body;
    t.headers = {headerLine};
    t.connectTimeoutMs = kFormPostOptions.connectTimeoutMs;
    t.totalTimeoutMs = kFormPostOptions.totalTimeoutMs;
    t.maxAnswerBytes = kFormPostOptions.maxAnswerBytes;
    TransferResult result = PerformTransfer(t);
    if (!result.Completed()) {
        DebugLine("curl_easy_perform error = " + std::to_string(result.curlCode) + "\n");
        // A cut-off answer is no answer: half a JSON text must not pass on.
        return {};
    }
    if (convertUtf8_) {
        return MakeValidUtf8(std::move(result.body));
    }
    return std::move(result.body);
}

}  // namespace quillora::net
