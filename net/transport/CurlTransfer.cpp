#include "net/transport/CurlTransfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "net/transport/Diagnostics.h"
#include "net/transport/TransportOptions.h"

namespace quillora::net {
namespace {

struct EasyFree {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct TransferState {
    CURL* curl = nullptr;
    const Transfer* transfer = nullptr;
    TransferResult* result = nullptr;
    std::size_t received = 0;
    std::size_t headerBytes = 0;
    bool cutShort = false;
    bool responseSeen = false;
};

// Hands the status and declared length to the caller before the first byte.
bool ReportResponse(TransferState& state) {
    state.responseSeen = true;
    long status = 0;
    curl_easy_getinfo(state.curl, CURLINFO_RESPONSE_CODE, &status);
    curl_off_t length = -1;
    if (curl_easy_getinfo(state.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) {
        length = -1;
    }
    return state.transfer->onResponse(status, static_cast<std::int64_t>(length));
}

// Sizes the answer buffer once from the declared length, so a large answer is
// not copied again and again while it grows (and never needs twice its size).
void ReserveDeclaredLength(TransferState& state) {
    curl_off_t length = -1;
    if (curl_easy_getinfo(state.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
        length > 0 && static_cast<std::size_t>(length) <= state.transfer->maxAnswerBytes) {
        state.result->body.reserve(static_cast<std::size_t>(length));
    }
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& state = *static_cast<TransferState*>(user);
    const std::size_t n = size * count;
    const Transfer& t = *state.transfer;
    if (!state.responseSeen && t.onResponse && !ReportResponse(state)) {
        return CURL_WRITEFUNC_ERROR;
    }
    std::string_view chunk(data, n);
    if (t.maxAnswerBytes > 0 && n > t.maxAnswerBytes - state.received) {
        if (!t.cutAtLimit) {
            state.result->answerTooLarge = true;
            return CURL_WRITEFUNC_ERROR;
        }
        chunk = chunk.substr(0, t.maxAnswerBytes - state.received);
        state.cutShort = true;
    }
    if (state.received == 0 && !t.onData) {
        ReserveDeclaredLength(state);
    }
    state.received += chunk.size();
    if (t.onData) {
        if (!t.onData(chunk)) {
            return CURL_WRITEFUNC_ERROR;
        }
    } else {
        state.result->body.append(chunk);
    }
    return state.cutShort ? CURL_WRITEFUNC_ERROR : n;
}

std::size_t OnHeader(char*, std::size_t size, std::size_t count, void* user) {
    auto& state = *static_cast<TransferState*>(user);
    const std::size_t n = size * count;
    state.headerBytes += n;
    if (state.headerBytes > kMaxHeaderBytes) {
        state.result->headersTooLarge = true;
        return 0;
    }
    return n;
}

int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
    auto& state = *static_cast<TransferState*>(user);
    const auto& callback = state.transfer->onProgress;
    return callback(static_cast<std::int64_t>(now), total > 0 ? total : -1) ? 0 : 1;
}

void ApplyCommonOptions(CURL* curl, const Transfer& t, TransferState& state, curl_slist* headers) {
    curl_easy_setopt(curl, CURLOPT_URL, t.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    const bool verify = VerifyTls();
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, verify ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, verify ? 2L : 0L);
    if (t.method == Transfer::Method::Post) {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, t.body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(t.body.size()));
    }
    if (headers != nullptr) {
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    }
    if (t.sendUserPassword) {
        curl_easy_setopt(curl, CURLOPT_USERPWD, t.userPassword.c_str());
    }
    if (t.connectTimeoutMs > 0) {
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, EffectiveTimeoutMs(t.connectTimeoutMs));
    }
    if (t.totalTimeoutMs > 0) {
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, EffectiveTimeoutMs(t.totalTimeoutMs));
    }
    if (t.maxAnswerBytes > 0 && !t.cutAtLimit) {
        // Refuses at once an answer whose declared length is already too big.
        curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                         static_cast<curl_off_t>(t.maxAnswerBytes));
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &state);
    if (t.onProgress) {
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &state);
    }
}

void ReadResultInfo(CURL* curl, TransferResult& result) {
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.httpStatus);
    curl_off_t length = -1;
    if (curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK) {
        result.contentLength = length;
    }
    const char* type = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type != nullptr) {
        result.contentType = type;
    }
}

}  // namespace

void EnsureCurlGlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

TransferResult PerformTransfer(const Transfer& transfer) {
    TransferResult result;
    EnsureCurlGlobalInit();
    std::unique_ptr<CURL, EasyFree> curl(curl_easy_init());
    if (!curl) {
        DebugLine("curl_easy_init error\n");
        result.curlCode = CURLE_FAILED_INIT;
        return result;
    }
    std::unique_ptr<curl_slist, SlistFree> headers;
    for (const auto& line : transfer.headers) {
        curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
        if (grown == nullptr) {
            return result;
        }
        (void)headers.release();
        headers.reset(grown);
    }
    TransferState state{curl.get(), &transfer, &result};
    ApplyCommonOptions(curl.get(), transfer, state, headers.get());
    result.curlCode = static_cast<int>(curl_easy_perform(curl.get()));
    if (state.cutShort && result.curlCode == CURLE_WRITE_ERROR) {
        result.curlCode = CURLE_OK;
    }
    ReadResultInfo(curl.get(), result);
    return result;
}

std::string CurlEscape(std::string_view text) {
    // curl_easy_escape takes an int length (and reads a length of 0 as "use
    // strlen"), so longer texts go in pieces and empty text never reaches it;
    // the escaping is per byte, so pieces give the same result.
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    std::string out;
    for (std::size_t pos = 0; pos < text.size(); pos += kPiece) {
        const std::size_t n = std::min(kPiece, text.size() - pos);
        char* escaped = curl_easy_escape(nullptr, text.data() + pos, static_cast<int>(n));
        if (escaped == nullptr) {
            return {};
        }
        out.append(escaped);
        curl_free(escaped);
    }
    return out;
}

}  // namespace quillora::net
