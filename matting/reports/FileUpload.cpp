#include "matting/reports/FileUpload.h"

#include <curl/curl.h>

#include <strings.h>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "net/transport/CurlTransfer.h"
#include "net/transport/TransportOptions.h"

namespace quillora::matting {

namespace {

struct UploadSource {
    std::FILE* file = nullptr;
    const std::atomic<bool>* cancel = nullptr;
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
struct CurlCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct MimeFree {
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};

std::size_t ReadBlock(char* buffer, std::size_t size, std::size_t count, void* data) {
    auto* source = static_cast<UploadSource*>(data);
    if (source->cancel->load()) {
        return CURL_READFUNC_ABORT;
    }
    const std::size_t wanted = std::min(size * count, kUploadBlockBytes);
    const std::size_t read = std::fread(buffer, 1, wanted, source->file);
    if (read == 0 && std::ferror(source->file)) {
        return CURL_READFUNC_ABORT;
    }
    return read;
}

int SeekSource(void* data, curl_off_t offset, int origin) {
    auto* source = static_cast<UploadSource*>(data);
    return fseeko(source->file, static_cast<off_t>(offset), origin) == 0 ? CURL_SEEKFUNC_OK
                                                                         : CURL_SEEKFUNC_FAIL;
}

// Stops a stalled upload too: the read callback is not called while the
// server takes nothing.
int CheckCancel(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<UploadSource*>(data)->cancel->load() ? 1 : 0;
}

std::size_t KeepAnswer(char* bytes, std::size_t size, std::size_t count, void* data) {
    auto* answer = static_cast<std::string*>(data);
    const std::size_t length = size * count;
    const std::size_t room = kUploadAnswerBytes - std::min(answer->size(), kUploadAnswerBytes);
    answer->append(bytes, std::min(length, room));
    return length;
}

}  // namespace

bool UploadFileMultipart(const std::string& url, const std::filesystem::path& path,
                         const std::atomic<bool>& cancel) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        return false;
    }
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (file == nullptr) {
        return false;
    }
    net::EnsureCurlGlobalInit();
    const std::unique_ptr<CURL, CurlCleanup> curl(curl_easy_init());
    if (curl == nullptr) {
        return false;
    }
    UploadSource source{file.get(), &cancel};
    const std::unique_ptr<curl_mime, MimeFree> mime(curl_mime_init(curl.get()));
    curl_mimepart* part = curl_mime_addpart(mime.get());
    if (part == nullptr || curl_mime_name(part, "file") != CURLE_OK ||
        curl_mime_filename(part, path.filename().c_str()) != CURLE_OK ||
        curl_mime_type(part, "application/octet-stream") != CURLE_OK ||
        curl_mime_data_cb(part, static_cast<curl_off_t>(size), ReadBlock, SeekSource, nullptr,
                          &source) != CURLE_OK) {
        return false;
    }
    std::string answer;
    const long verify = net::VerifyTls() ? 1L : 0L;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_SSL_VERIFYPEER, verify);
    curl_easy_setopt(curl.get(), CURLOPT_SSL_VERIFYHOST, verify ? 2L : 0L);
    curl_easy_setopt(curl.get(), CURLOPT_MIMEPOST, mime.get());
    curl_easy_setopt(curl.get(), CURLOPT_UPLOAD_BUFFERSIZE, static_cast<long>(16 * 1024));
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT_MS,
                     net::EffectiveTimeoutMs(net::kFallbackPostOptions.connectTimeoutMs));
    // A server that stops taking the file for a minute ends the upload.
    curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, CheckCancel);
    curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, &source);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, KeepAnswer);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &answer);
    if (curl_easy_perform(curl.get()) != CURLE_OK) {
        return false;
    }
    long status = 0;
    char* contentType = nullptr;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_TYPE, &contentType);
    const bool textAnswer = contentType != nullptr && strncasecmp(contentType, "text/", 5) == 0;
    return status == 200 && textAnswer && answer == "1";
}

}  // namespace quillora::matting
