#include "service/imaging/ImageProbe.h"

#include <cstdlib>

namespace quillora::service {
namespace {

std::uint32_t Byte(std::string_view b, std::size_t i) {
    return static_cast<unsigned char>(b[i]);
}
std::uint32_t Be16(std::string_view b, std::size_t i) {
    return Byte(b, i) << 8 | Byte(b, i + 1);
}
std::uint32_t Be32(std::string_view b, std::size_t i) {
    return Be16(b, i) << 16 | Be16(b, i + 2);
}
std::uint32_t Le16(std::string_view b, std::size_t i) {
    return Byte(b, i) | Byte(b, i + 1) << 8;
}
std::uint32_t Le24(std::string_view b, std::size_t i) {
    return Le16(b, i) | Byte(b, i + 2) << 16;
}
std::uint32_t Le32(std::string_view b, std::size_t i) {
    return Le16(b, i) | Le16(b, i + 2) << 16;
}

std::optional<ImageHeader> Valid(ImageFormat format, std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    return ImageHeader{format, width, height};
}

// The first chunk of a PNG must be IHDR with 13 bytes of data.
std::optional<ImageHeader> ProbePng(std::string_view b) {
    if (b.size() < 24 || Be32(b, 8) != 13 || b.substr(12, 4) != "IHDR") {
        return std::nullopt;
    }
    return Valid(ImageFormat::Png, Be32(b, 16), Be32(b, 20));
}

// Walks the marker segments up to the first start-of-frame marker.
std::optional<ImageHeader> ProbeJpeg(std::string_view b) {
    std::size_t pos = 2;
    while (pos + 4 <= b.size()) {
        if (Byte(b, pos) != 0xFF) {
            return std::nullopt;
        }
        const std::uint32_t marker = Byte(b, pos + 1);
        if (marker == 0xFF) {
            ++pos;  // fill byte
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;  // markers without a length
            continue;
        }
        const std::uint32_t length = Be16(b, pos + 2);
        if (length < 2) {
            return std::nullopt;
        }
        const bool isFrame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (isFrame) {
            if (pos + 9 > b.size() || length < 7) {
                return std::nullopt;
            }
            return Valid(ImageFormat::Jpeg, Be16(b, pos + 7), Be16(b, pos + 5));
        }
        if (marker == 0xD9 || marker == 0xDA) {
            return std::nullopt;  // image data or end before any frame header
        }
        pos += 2 + length;
    }
    return std::nullopt;
}

std::optional<ImageHeader> ProbeBmp(std::string_view b) {
    if (b.size() < 26) {
        return std::nullopt;
    }
    const std::uint32_t infoSize = Le32(b, 14);
    if (infoSize == 12) {
        return Valid(ImageFormat::Bmp, Le16(b, 18), Le16(b, 20));
    }
    if (infoSize < 40) {
        return std::nullopt;
    }
    const auto width = static_cast<std::int32_t>(Le32(b, 18));
    const auto height = static_cast<std::int32_t>(Le32(b, 22));  // negative: top-down rows
    return Valid(ImageFormat::Bmp, width, std::llabs(static_cast<long long>(height)));
}

std::optional<ImageHeader> ProbeWebP(std::string_view b) {
    if (b.size() < 30) {
        return std::nullopt;
    }
    const std::string_view chunk = b.substr(12, 4);
    if (chunk == "VP8X") {
        return Valid(ImageFormat::WebP, Le24(b, 24) + 1, Le24(b, 27) + 1);
    }
    if (chunk == "VP8L") {
        if (Byte(b, 20) != 0x2F) {
            return std::nullopt;
        }
        const std::uint32_t bits = Le32(b, 21);
        return Valid(ImageFormat::WebP, (bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1);
    }
    if (chunk == "VP8 ") {
        if (Byte(b, 23) != 0x9D || Byte(b, 24) != 0x01 || Byte(b, 25) != 0x2A) {
            return std::nullopt;
        }
        return Valid(ImageFormat::WebP, Le16(b, 26) & 0x3FFF, Le16(b, 28) & 0x3FFF);
    }
    return std::nullopt;
}

}  // namespace

std::optional<ImageHeader> ProbeImageHeader(std::string_view bytes) {
    if (bytes.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) {
        return ProbePng(bytes);
    }
    if (bytes.size() >= 3 && Byte(bytes, 0) == 0xFF && Byte(bytes, 1) == 0xD8 &&
        Byte(bytes, 2) == 0xFF) {
        return ProbeJpeg(bytes);
    }
    if (bytes.substr(0, 2) == "BM") {
        return ProbeBmp(bytes);
    }
    if (bytes.size() >= 12 && bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "WEBP") {
        return ProbeWebP(bytes);
    }
    return std::nullopt;
}

}  // namespace quillora::service
