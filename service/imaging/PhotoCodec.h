#pragma once

#include <opencv2/core/mat.hpp>

#include <cstdint>
#include <string>
#include <string_view>

namespace quillora::service {

struct DecodedPhoto {
    cv::Mat bgr;        // 8-bit, three channels; empty on failure
    std::string error;  // why, for the answer's message
};

// Decodes a photo as stored on disk (PNG, JPEG, BMP or WebP), as the program
// shows it: first frame, no turning by the EXIF orientation, 8 bits per
// channel. The size the header declares is checked against maxPixels first.
DecodedPhoto DecodePhoto(std::string_view bytes, std::int64_t maxPixels);

// A mask picture as one 8-bit channel: its alpha channel when it has one that
// is not fully opaque, its brightness otherwise.
DecodedPhoto DecodeMask(std::string_view bytes, std::int64_t maxPixels);

// PNG with straight alpha from an 8-bit BGRA picture; empty on failure.
std::string EncodePng(const cv::Mat& bgra);

}  // namespace quillora::service
