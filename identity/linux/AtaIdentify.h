#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillora::identity {

// Size of the ATA IDENTIFY DEVICE answer: 256 little-endian 16-bit words.
inline constexpr std::size_t kIdentifyBytes = 512;
inline constexpr unsigned char kAtaIdentifyDevice = 0xEC;
inline constexpr unsigned char kAtaIdentifyPacketDevice = 0xA1;

// The serial number held in words 10 to 19 of an IDENTIFY answer: each word
// high byte first, cut at the first NUL, trailing spaces removed. Empty when
// the answer is shorter than the serial words.
std::string SerialFromIdentify(std::string_view identify);

}  // namespace quillora::identity
