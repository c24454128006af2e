#include "update/core/Downloader.h"

#include "net/transport/CurlTransfer.h"
#include "update/core/Signature.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

namespace quillora::update {
namespace {

using Clock = std::chrono::steady_clock;

bool IsHttpAddress(const std::string& url) {
    for (const char* scheme : {"http://", "https://"}) {
        const std::string prefix(scheme);
        if (url.compare(0, prefix.size(), prefix) == 0) {
            const std::size_t hostEnd = url.find_first_of("/?#", prefix.size());
            return (hostEnd == std::string::npos ? url.size() : hostEnd) > prefix.size();
        }
    }
    return false;
}

// Writes all of the bytes; false with errno set on failure.
bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FreeSpaceFor(int fd, std::int64_t bytes) {
    struct statvfs info {};
    if (::fstatvfs(fd, &info) != 0) {
        return true;  // unknown: the writes will tell
    }
    const auto available = static_cast<unsigned long long>(info.f_bavail) *
                           static_cast<unsigned long long>(info.f_frsize);
    return static_cast<unsigned long long>(bytes) <= available;
}

// The detached signature next to the file; empty when it cannot be had.
std::string FetchSignature(const std::string& url, const DownloadOptions& options) {
    net::Transfer t;
    t.url = url + ".sig";
    t.connectTimeoutMs = options.connectTimeoutMs;
    t.totalTimeoutMs = 30'000;
    t.maxAnswerBytes = 1024;
    const net::TransferResult result = net::PerformTransfer(t);
    if (!result.Completed() || result.httpStatus != 200 || result.body.size() != kSignatureBytes) {
        return {};
    }
    return result.body;
}

}  // namespace

std::string TemporaryNameFor(const std::string& destination) {
    return destination + ".upd";
}

std::uint32_t FileDownloader::Download(const std::string& url, const std::string& destination,
                                       CreationMode mode, const DownloadOptions& options) {
    problem_ = DownloadProblem::None;
    const std::string temporary = TemporaryNameFor(destination);
    int fd = -1;
    auto fail = [&](DownloadProblem problem) {
        if (problem_ == DownloadProblem::None) {
            problem_ = problem;
        }
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
        ::unlink(temporary.c_str());
        if (callback_ != nullptr) {
            callback_->OnStatus(kFailedStatus);
        }
        return kDownloadFailed;
    };

    if (!IsHttpAddress(url) || destination.empty()) {
        return fail(DownloadProblem::BadAddress);
    }
    struct stat existing {};
    if (mode == CreationMode::CreateNew && ::lstat(destination.c_str(), &existing) == 0) {
        return fail(DownloadProblem::FileError);
    }
    // A leftover (or planted) temporary file is removed, never reused: the new
    // one is made exclusively, owner-only, and not through a symbolic link.
    ::unlink(temporary.c_str());
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 || ::fchmod(fd, 0600) != 0) {
        return fail(DownloadProblem::FileError);
    }

    bool responseSeen = false;
    long status = 0;
    std::int64_t total = -1;
    std::int64_t received = 0;
    std::int64_t lastSeen = -1;
    Clock::time_point lastChange = Clock::now();

    auto takeResponse = [&](long code, std::int64_t length) {
        responseSeen = true;
        status = code;
        total = length;
        if (callback_ != nullptr) {
            callback_->OnStatus(code);
        }
        if (code != 200) {
            problem_ = DownloadProblem::Status;
            return false;
        }
        if (callback_ != nullptr) {
            callback_->OnLength(url, length);
        }
        if (length < 0) {
            problem_ = DownloadProblem::NoLength;
            return false;
        }
        if (length > options.maxBytes) {
            problem_ = DownloadProblem::TooLarge;
            return false;
        }
        if (!FreeSpaceFor(fd, length)) {
            problem_ = DownloadProblem::NoSpace;
            return false;
        }
        return true;
    };

    net::Transfer t;
    t.url = url;
    t.connectTimeoutMs = options.connectTimeoutMs;
    // The length limit is checked against the declared length before the
    // first byte, and every block against that length.
    t.onResponse = takeResponse;
    t.onData = [&](std::string_view chunk) {
        if (static_cast<std::int64_t>(chunk.size()) > total - received) {
            problem_ = DownloadProblem::Overlong;
            return false;
        }
        if (!WriteAll(fd, chunk.data(), chunk.size())) {
            problem_ = errno == ENOSPC || errno == EDQUOT ? DownloadProblem::NoSpace
                                                          : DownloadProblem::FileError;
            return false;
        }
        received += static_cast<std::int64_t>(chunk.size());
        if (cancel_) {
            problem_ = DownloadProblem::Cancelled;
            return false;
        }
        if (callback_ != nullptr && callback_->OnProgress(false, 0, received, total) == 1) {
            problem_ = DownloadProblem::Cancelled;
            return false;
        }
        return true;
    };
    // Also runs while nothing arrives, so a stalled server and a cancel are
    // noticed without waiting for the next block.
    t.onProgress = [&](std::int64_t now, std::int64_t) {
        if (cancel_) {
            problem_ = DownloadProblem::Cancelled;
            return false;
        }
        const Clock::time_point clock = Clock::now();
        if (now != lastSeen) {
            lastSeen = now;
            lastChange = clock;
        } else if (clock - lastChange > std::chrono::milliseconds(options.stallTimeoutMs)) {
            problem_ = DownloadProblem::Network;
            return false;
        }
        return true;
    };

    const net::TransferResult result = net::PerformTransfer(t);
    if (problem_ != DownloadProblem::None) {
        return fail(problem_);
    }
    if (!responseSeen && result.Completed()) {
        // An answer without a body never reached the data callback.
        if (!takeResponse(result.httpStatus, result.contentLength)) {
            return fail(problem_);
        }
    }
    if (!result.Completed() || !responseSeen) {
        return fail(DownloadProblem::Network);
    }
    if (received != total) {
        return fail(DownloadProblem::Network);
    }
    if (::fsync(fd) != 0) {
        return fail(errno == ENOSPC ? DownloadProblem::NoSpace : DownloadProblem::FileError);
    }
    if (::close(fd) != 0) {
        fd = -1;
        return fail(DownloadProblem::FileError);
    }
    fd = -1;
    if (options.verifySignature) {
        const std::string signature = FetchSignature(url, options);
        const std::string& key =
            options.publicKeyPem.empty() ? TrustedUpdateKey() : options.publicKeyPem;
        if (signature.empty() || !VerifyFileSignature(key, temporary, signature)) {
            return fail(DownloadProblem::Signature);
        }
    }
    if (callback_ != nullptr) {
        callback_->OnFinished();
    }
    if (mode == CreationMode::CreateNew && ::lstat(destination.c_str(), &existing) == 0) {
        return fail(DownloadProblem::FileError);
    }
    if (::rename(temporary.c_str(), destination.c_str()) != 0) {
        return fail(DownloadProblem::FileError);
    }
    return kDownloadOk;
}

}  // namespace quillora::update
