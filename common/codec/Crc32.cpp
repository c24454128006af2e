#include "common/codec/Crc32.h"

#include <zlib.h>

#include <algorithm>

namespace quillora::codec {

std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc) {
    // zlib's length is a uInt; feed very long inputs in pieces.
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    uLong value = crc;
    for (std::size_t pos = 0; pos < bytes.size(); pos += kPiece) {
        const std::size_t n = std::min(kPiece, bytes.size() - pos);
        value =
            crc32(value, reinterpret_cast<const Bytef*>(bytes.data()) + pos, static_cast<uInt>(n));
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace quillora::codec
