#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quillora::service {

// Fields of an application/x-www-form-urlencoded body, ordered by plain
// byte-wise comparison of the keys (the order the program signs in).
using FormFields = std::map<std::string, std::string>;

// Strict parsing: "%" must be followed by two hexadecimal digits, "+" is a
// space, every pair needs a non-empty key, and a key may appear only once.
// Anything else gives nullopt, so a malformed or ambiguous form is refused as
// a whole instead of being half understood.
std::optional<FormFields> ParseForm(std::string_view body);

// Percent-decodes one component; nullopt on a broken escape.
std::optional<std::string> PercentDecode(std::string_view text);

}  // namespace quillora::service
