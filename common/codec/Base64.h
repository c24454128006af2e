#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillora::codec {

// Largest decoded size Base64Decode accepts unless the caller names another
// limit: far above any picture the matting service returns, far below what
// would exhaust memory when a hostile answer carries a gigabyte-long field.
inline constexpr std::size_t kBase64DefaultMaxDecoded = std::size_t{256} << 20;

// Standard alphabet (A-Z a-z 0-9 + /), "=" padding, no line breaks.
std::string Base64Encode(std::string_view bytes);

// Strict decoding: the text must be a whole number of 4-character groups of
// the standard alphabet, with "=" only as the last one or two characters.
// Anything else (white space, URL-safe letters, a missing pad, a decoded size
// above maxDecoded) gives nullopt. Empty text decodes to empty bytes.
std::optional<std::string> Base64Decode(std::string_view text,
                                        std::size_t maxDecoded = kBase64DefaultMaxDecoded);

}  // namespace quillora::codec
