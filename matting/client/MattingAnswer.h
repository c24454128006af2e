#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillora::matting {

// The cut-out bytes of a matting answer, or nullopt when the answer is not
// one: it must start with "{", parse as JSON, have a true `result` (a
// non-zero number, true, or a non-empty string, array or object) and a
// non-empty top-level `image` holding strict Base64. The HTTP status is never
// consulted; an error page or an empty answer fails the first rule.
std::optional<std::string> DecodeMattingAnswer(std::string_view answer);

}  // namespace quillora::matting
