#include "service/server/ServiceConfig.h"

#include <json/reader.h>
#include <json/writer.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "service/server/AtomicFile.h"

namespace quillora::service {
namespace {

struct NumberKey {
    const char* name;
    std::int64_t ServiceConfig::*member;
    std::int64_t min;
    std::int64_t max;
};

// Every number the file may hold, with the range it is clamped to; the
// defaults are the member initialisers of ServiceConfig.
constexpr NumberKey kNumberKeys[] = {
    {"open", &ServiceConfig::open, 0, 1},
    {"batchCount", &ServiceConfig::batchCount, 0, 100000},
    {"fileSize", &ServiceConfig::fileSizeKb, 0, 4LL << 20},
    {"totalOpenFlag", &ServiceConfig::totalOpenFlag, 0, 1},
    {"maxBodyBytes", &ServiceConfig::maxBodyBytes, 1024, 1LL << 30},
    {"maxPixels", &ServiceConfig::maxPixels, 1, 400'000'000},
    {"timeWindowSeconds", &ServiceConfig::timeWindowSeconds, 1, 86400},
    {"readTimeoutSeconds", &ServiceConfig::readTimeoutSeconds, 1, 600},
    {"connectionThreads", &ServiceConfig::connectionThreads, 8, 256},
    {"mattingWorkers", &ServiceConfig::mattingWorkers, 1, 64},
};
constexpr const char* kMattingUrlKey = "mattingUrl";

}  // namespace

ServiceConfig LoadServiceConfig(const std::filesystem::path& file, std::string* problem) {
    ServiceConfig config;
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    if (in) {
        text << in.rdbuf();
    }
    if (text.str().empty()) {
        if (!SaveServiceConfig(file, config) && problem) {
            *problem = "cannot write " + file.string();
        }
        return config;
    }
    Json::CharReaderBuilder builder;
    Json::Value root;
    std::string errors;
    if (!Json::parseFromStream(builder, text, &root, &errors) || !root.isObject()) {
        if (problem) {
            *problem = file.string() + " is not a JSON object; using the defaults";
        }
        return config;
    }
    for (const NumberKey& key : kNumberKeys) {
        const Json::Value& value = root[key.name];
        if (value.isIntegral()) {
            config.*key.member = std::clamp<std::int64_t>(value.asInt64(), key.min, key.max);
        } else if (!value.isNull() && problem) {
            *problem = std::string(key.name) + " is not a whole number; using its default";
        }
    }
    if (root[kMattingUrlKey].isString()) {
        config.mattingUrl = root[kMattingUrlKey].asString();
    }
    return config;
}

bool SaveServiceConfig(const std::filesystem::path& file, const ServiceConfig& config) {
    Json::Value root(Json::objectValue);
    for (const NumberKey& key : kNumberKeys) {
        root[key.name] = Json::Int64(config.*key.member);
    }
    root[kMattingUrlKey] = config.mattingUrl;
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "  ";
    return WriteFileAtomically(file, Json::writeString(writer, root) + "\n");
}

ConfigStore::ConfigStore(std::filesystem::path file) : file_(std::move(file)) {}

ServiceConfig ConfigStore::Current() {
    std::error_code error;
    const auto stamp = std::filesystem::last_write_time(file_, error);
    std::lock_guard lock(mutex_);
    if (error || stamp != stamp_) {
        config_ = LoadServiceConfig(file_);
        stamp_ = error ? std::filesystem::file_time_type{}
                       : std::filesystem::last_write_time(file_, error);
    }
    return config_;
}

}  // namespace quillora::service
