#pragma once

#include <string>
#include <string_view>

#include "identity/HardwareSources.h"

namespace quillora::identity {

// The two overlapping windows of the BIOS area whose CRC-32s make the
// fingerprint: bytes 0 to 2047 and 1024 to 3071.
inline constexpr std::size_t kFirstWindowOffset = 0;
inline constexpr std::size_t kSecondWindowOffset = 1024;
inline constexpr std::size_t kWindowBytes = 2048;

// Both CRC-32s, each printed "%04X" (at least four, usually eight upper-case
// hex digits), run together. Empty unless the area holds kBiosAreaBytes.
std::string BiosFingerprintOf(std::string_view area);

// BiosFingerprintOf(sources.BiosArea()).
std::string ReadBiosFingerprint(HardwareSources& sources);

}  // namespace quillora::identity
