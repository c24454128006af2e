#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>

namespace quillora::service {

// The service's own settings, kept in <data>/service.json. The first five are
// what the configuration answer tells the program; the rest bound the work a
// single request may cause.
struct ServiceConfig {
    std::int64_t open = 1;            // 0 closes matting for the program
    std::int64_t batchCount = 50;     // most photos in one batch
    std::int64_t fileSizeKb = 20480;  // largest photo the program may send
    std::int64_t totalOpenFlag = 0;   // passed through to the program
    std::string mattingUrl;           // empty: this service's own address
    std::int64_t maxBodyBytes = 40LL << 20;
    std::int64_t maxPixels = 50'000'000;
    std::int64_t timeWindowSeconds = 300;  // accepted age of a signed time
    std::int64_t readTimeoutSeconds = 10;  // a silent client is dropped after
    std::int64_t connectionThreads = 16;
    std::int64_t mattingWorkers = 2;  // cut-outs computed at the same time
};

// Reads the file; missing keys take their defaults and numbers are clamped
// to their ranges. A missing or empty file is written with the defaults; a
// damaged one is left as it is (the defaults apply) and reported in `problem`.
ServiceConfig LoadServiceConfig(const std::filesystem::path& file, std::string* problem = nullptr);

// Writes every key with its value (temporary file, then rename).
bool SaveServiceConfig(const std::filesystem::path& file, const ServiceConfig& config);

// Hands out the current values and reads the file again when it changed, so
// closing the service or lowering a limit needs no restart.
class ConfigStore {
public:
    explicit ConfigStore(std::filesystem::path file);

    ServiceConfig Current();

private:
    std::filesystem::path file_;
    std::mutex mutex_;
    ServiceConfig config_;
    std::filesystem::file_time_type stamp_{};
};

}  // namespace quillora::service
