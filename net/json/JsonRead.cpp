#include "net/json/JsonRead.h"

#include <json/reader.h>

#include <cmath>
#include <exception>
#include <limits>
#include <memory>

namespace quillora::net {

bool ParseJson(std::string_view text, Json::Value& root) {
    try {
        Json::CharReaderBuilder builder;
        builder["collectComments"] = true;
        builder["allowComments"] = true;
        builder["stackLimit"] = kJsonStackLimit;
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        std::string errors;
        Json::Value parsed;
        if (!reader->parse(text.data(), text.data() + text.size(), &parsed, &errors)) {
            return false;
        }
        root = std::move(parsed);
        return true;
    } catch (const std::exception&) {
        // jsoncpp reports a nesting beyond stackLimit by throwing.
        return false;
    }
}

const Json::Value& JsonMember(const Json::Value& object, const char* key) {
    if (!object.isObject()) {
        return Json::Value::nullSingleton();
    }
    const Json::Value* member = object.find(key, key + std::char_traits<char>::length(key));
    return member != nullptr ? *member : Json::Value::nullSingleton();
}

bool JsonTruthy(const Json::Value& value) {
    switch (value.type()) {
        case Json::booleanValue:
            return value.asBool();
        case Json::intValue:
            return value.asInt64() != 0;
        case Json::uintValue:
            return value.asUInt64() != 0;
        case Json::realValue:
            return value.asDouble() != 0.0;
        case Json::stringValue:
            return !value.asString().empty();
        case Json::arrayValue:
        case Json::objectValue:
            return !value.empty();
        case Json::nullValue:
            break;
    }
    return false;
}

std::int64_t JsonInt64(const Json::Value& value) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    switch (value.type()) {
        case Json::booleanValue:
            return value.asBool() ? 1 : 0;
        case Json::intValue:
            return value.asInt64();
        case Json::uintValue:
            return value.asUInt64() > static_cast<std::uint64_t>(kMax)
                       ? kMax
                       : static_cast<std::int64_t>(value.asUInt64());
        case Json::realValue: {
            const double d = std::trunc(value.asDouble());
            if (std::isnan(d)) {
                return 0;
            }
            // 2^63 as a double: anything at or above it does not fit.
            if (d >= 9223372036854775808.0) {
                return kMax;
            }
            if (d < -9223372036854775808.0) {
                return kMin;
            }
            return static_cast<std::int64_t>(d);
        }
        default:
            return 0;
    }
}

int JsonInt(const Json::Value& value) {
    const std::int64_t v = JsonInt64(value);
    if (v > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (v < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(v);
}

std::string JsonString(const Json::Value& value) {
    switch (value.type()) {
        case Json::stringValue:
        case Json::booleanValue:
        case Json::intValue:
        case Json::uintValue:
        case Json::realValue:
            return value.asString();
        default:
            return {};
    }
}

}  // namespace quillora::net
