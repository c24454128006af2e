#pragma once

#include <string>
#include <string_view>

namespace quillora {

// UTF-8 <-> UTF-16 conversion for texts that cross between the wire (bytes)
// and the windows (UTF-16). Malformed input never fails: each bad byte or
// unpaired surrogate becomes U+FFFD, so a damaged answer still shows.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// The bytes unchanged when they are well-formed UTF-8, else with every
// malformed sequence replaced by U+FFFD.
std::string MakeValidUtf8(std::string bytes);

}  // namespace quillora
