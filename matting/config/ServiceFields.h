#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace quillora::matting {

inline constexpr bool kDefaultServiceOpen = true;
inline constexpr std::int32_t kDefaultBatchLimit = 50;
inline constexpr std::int64_t kDefaultFileSizeLimit = 20480;  // bytes
inline constexpr bool kDefaultTotalOpenFlag = false;

// The matting endpoint of the endpoint table: the default of mattingUrl.
std::string DefaultMattingUrl();

// What the service configuration decides: whether matting is open, the batch
// and file size limits, and where the matting endpoint is. Defaults apply
// from the start (the size text of the default limit included, so a refusal
// before the first fetch still names the limit); the configuration fetch
// replaces them field by field.
//
// Threads: the fetch thread writes while the UI thread and the matting worker
// read. Each read sees either the old or the new value of its field: the
// plain fields are atomics, the two texts are copied under a mutex. Fields
// are independent; a reader during a fetch may see some fields already new.
class ServiceFields {
public:
    ServiceFields();  // mattingUrl from DefaultMattingUrl()
    explicit ServiceFields(std::string defaultMattingUrl);
    ServiceFields(const ServiceFields&) = delete;
    ServiceFields& operator=(const ServiceFields&) = delete;

    bool serviceOpen() const { return serviceOpen_.load(); }
    std::int32_t batchLimit() const { return batchLimit_.load(); }
    std::int64_t fileSizeLimit() const { return fileSizeLimit_.load(); }
    QString fileSizeLimitText() const;
    std::string mattingUrl() const;
    bool totalOpenFlag() const { return totalOpenFlag_.load(); }

    void setServiceOpen(bool open) { serviceOpen_.store(open); }
    void setBatchLimit(std::int32_t limit) { batchLimit_.store(limit); }
    void setFileSizeLimit(std::int64_t bytes) { fileSizeLimit_.store(bytes); }
    void setFileSizeLimitText(const QString& text);
    void setMattingUrl(const std::string& url);
    void setTotalOpenFlag(bool flag) { totalOpenFlag_.store(flag); }

private:
    std::atomic<bool> serviceOpen_{kDefaultServiceOpen};
    std::atomic<std::int32_t> batchLimit_{kDefaultBatchLimit};
    std::atomic<std::int64_t> fileSizeLimit_{kDefaultFileSizeLimit};
    std::atomic<bool> totalOpenFlag_{kDefaultTotalOpenFlag};
    mutable std::mutex textMutex_;
    QString fileSizeLimitText_;
    std::string mattingUrl_;
};

}  // namespace quillora::matting
