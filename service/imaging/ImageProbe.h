#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillora::service {

enum class ImageFormat { Png, Jpeg, Bmp, WebP };

struct ImageHeader {
    ImageFormat format;
    std::int64_t width;
    std::int64_t height;
};

// Reads the picture size a file declares in its header, without decoding a
// pixel, so that a tiny file declaring 100000 x 100000 pixels is refused
// before any memory is set aside for it. nullopt for a format the service
// does not decode or a header that is cut short or inconsistent.
std::optional<ImageHeader> ProbeImageHeader(std::string_view bytes);

}  // namespace quillora::service
