#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace quillora::net {

// Deepest nesting of arrays and objects a JSON answer may have. The answers
// of the services are a few levels deep; the limit keeps a hostile answer
// (100,000 nested brackets) from exhausting the parser's stack.
inline constexpr int kJsonStackLimit = 64;

// Parses JSON text (comments allowed) into `root`. False, never an exception,
// for malformed text or nesting beyond kJsonStackLimit.
bool ParseJson(std::string_view text, Json::Value& root);

// Reading members of an answer of unknown shape, without the exceptions that
// jsoncpp's own conversions throw for mismatched types:

// The member `key` of an object, or null for any other value.
const Json::Value& JsonMember(const Json::Value& object, const char* key);

// true for true, a non-zero number, a non-empty string, array or object.
bool JsonTruthy(const Json::Value& value);

// Numbers truncated toward zero and clamped to the range; true is 1; every
// other value is 0.
std::int64_t JsonInt64(const Json::Value& value);
int JsonInt(const Json::Value& value);

// Strings as they are; numbers and booleans as jsoncpp prints them; null,
// arrays and objects give empty text.
std::string JsonString(const Json::Value& value);

}  // namespace quillora::net
