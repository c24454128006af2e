#pragma once

#include <json/value.h>

#include <optional>
#include <string>
#include <string_view>

namespace quillora::service {

// A usage report arrives as Base64 of AES-128-ECB (PKCS#7) over a JSON text.
// Gives the JSON object, or nullopt when any layer does not check out: bad
// Base64, a cipher text that is not whole blocks or whose padding is wrong
// (another key, a damaged body), or a plain text that is not a JSON object.
std::optional<Json::Value> OpenReport(std::string_view body, std::string_view key);

// The reverse, for the tests and for anyone who wants to feed the service.
std::string SealReport(const Json::Value& report, std::string_view key);

}  // namespace quillora::service
