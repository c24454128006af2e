#pragma once

#include <cstdint>
#include <string_view>

namespace quillora::codec {

// CRC-32 as zlib and PNG compute it (reflected 0xEDB88320, initial and final
// inversion). Pass the previous result as `crc` to continue over more bytes.
std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc = 0);

}  // namespace quillora::codec
