#pragma once

#include <map>
#include <string>
#include <string_view>

namespace quillora::matting {

// Request parameters, ordered by plain byte-wise comparison of the keys
// (std::string compares like memcmp). That order is the order of the body and
// of the signed text.
using ParameterMap = std::map<std::string, std::string>;

// The text the signature covers: key=value pairs in key order joined by "&",
// raw (not escaped), leaving out "image", "mask" and every empty value.
std::string SignedText(const ParameterMap& parameters);

// The `s` field: Base64 of HMAC-SHA-256 of SignedText under `key`
// (44 characters).
std::string SignParameters(const ParameterMap& parameters, std::string_view key);

// The request body: every pair in key order as escaped-key=escaped-value,
// joined by "&", escaped exactly as libcurl's curl_escape does.
std::string EncodeForm(const ParameterMap& parameters);

}  // namespace quillora::matting
