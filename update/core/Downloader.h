#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace quillora::update {

// Results of FileDownloader::Download.
inline constexpr std::uint32_t kDownloadOk = 0;
inline constexpr std::uint32_t kDownloadFailed = 0x80004005;

// Status reported to the callback when a download fails.
inline constexpr long kFailedStatus = 500;

// Largest file taken: a longer declared length fails at once.
inline constexpr std::int64_t kMaxDownloadBytes = std::int64_t{1} << 30;

// What a download reports while it runs, in this order: the HTTP status (and
// 500 when the download fails at any point), the address with the declared
// length, progress per block received, and finished once every byte is in.
// All calls come on the downloading thread.
class IDownLoadCallBack {
public:
    virtual void OnStatus(long /*status*/) {}
    virtual void OnLength(const std::string& /*url*/, std::int64_t /*total*/) {}
    // Returning 1 stops the download.
    virtual int OnProgress(bool /*error*/, int /*reserved*/, std::int64_t /*received*/,
                           std::int64_t /*total*/) {
        return 0;
    }
    virtual void OnFinished() {}

protected:
    ~IDownLoadCallBack() = default;
};

// Always-create replaces an existing destination; create-new fails when one
// exists.
enum class CreationMode { AlwaysCreate, CreateNew };

// Why the last download failed.
enum class DownloadProblem {
    None,
    BadAddress,
    Status,     // not 200
    NoLength,   // no Content-Length: completeness cannot be told
    TooLarge,   // declared length above the limit
    NoSpace,    // the disk cannot hold it, or filled up while writing
    FileError,  // the temporary file could not be made, written or moved
    Network,    // connection failed, closed early or stalled
    Overlong,   // more bytes than the declared length
    Cancelled,
    Signature,  // the detached signature is missing or does not match
};

struct DownloadOptions {
    // Fetches url + ".sig" and checks it against the key before the file is
    // moved into place; a file that fails is deleted.
    bool verifySignature = false;
    std::string publicKeyPem;  // empty: TrustedUpdateKey()
    std::int64_t maxBytes = kMaxDownloadBytes;
    long connectTimeoutMs = 10'000;
    // A transfer that receives nothing for this long fails.
    long stallTimeoutMs = 30'000;
};

// Downloads one file over the program's libcurl transport. The bytes go to
// destination + ".upd", created readable and writable by this user alone, and
// are moved over the destination only when exactly the declared length
// arrived (and, when asked, the signature matched). Any failure removes the
// temporary file and leaves an existing destination untouched.
class FileDownloader {
public:
    explicit FileDownloader(IDownLoadCallBack* callback = nullptr, void* context = nullptr)
        : callback_(callback), context_(context) {}

    std::uint32_t Download(const std::string& url, const std::string& destination,
                           CreationMode mode, const DownloadOptions& options = {});

    // Stops a running download between blocks; safe from any thread.
    void Cancel() { cancel_ = true; }
    bool CancelRequested() const { return cancel_; }
    void* Context() const { return context_; }
    DownloadProblem LastProblem() const { return problem_; }

private:
    IDownLoadCallBack* callback_;
    void* context_;
    std::atomic<bool> cancel_{false};
    DownloadProblem problem_ = DownloadProblem::None;
};

// The temporary name of a download.
std::string TemporaryNameFor(const std::string& destination);

}  // namespace quillora::update
