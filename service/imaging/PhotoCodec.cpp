#include "service/imaging/PhotoCodec.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <vector>

#include "service/imaging/ImageProbe.h"

namespace quillora::service {
namespace {

// Decodes only after the header's size has been checked; OpenCV's decoders
// report trouble by exception, which stops here.
DecodedPhoto CheckedDecode(std::string_view bytes, std::int64_t maxPixels, int flags) {
    const auto header = ProbeImageHeader(bytes);
    if (!header) {
        return {{}, "not a PNG, JPEG, BMP or WebP picture"};
    }
    if (header->width * header->height > maxPixels) {
        return {{}, "picture too large"};
    }
    cv::Mat decoded;
    try {
        const cv::Mat raw(1, static_cast<int>(bytes.size()), CV_8UC1,
                          const_cast<char*>(bytes.data()));
        decoded = cv::imdecode(raw, flags);
    } catch (const cv::Exception&) {
        decoded.release();
    }
    if (decoded.empty() || decoded.cols != header->width || decoded.rows != header->height) {
        return {{}, "picture cannot be decoded"};
    }
    return {decoded, {}};
}

}  // namespace

DecodedPhoto DecodePhoto(std::string_view bytes, std::int64_t maxPixels) {
    return CheckedDecode(bytes, maxPixels, cv::IMREAD_COLOR | cv::IMREAD_IGNORE_ORIENTATION);
}

DecodedPhoto DecodeMask(std::string_view bytes, std::int64_t maxPixels) {
    DecodedPhoto mask =
        CheckedDecode(bytes, maxPixels, cv::IMREAD_UNCHANGED | cv::IMREAD_IGNORE_ORIENTATION);
    if (mask.bgr.empty()) {
        return mask;
    }
    cv::Mat image = mask.bgr;
    if (image.depth() != CV_8U) {
        // 16-bit masks: keep the high byte.
        image.convertTo(image, CV_8U, 1.0 / 257.0);
    }
    cv::Mat gray;
    if (image.channels() == 4) {
        cv::Mat alpha;
        cv::extractChannel(image, alpha, 3);
        double lowest = 0;
        cv::minMaxLoc(alpha, &lowest);
        if (lowest < 255) {
            gray = alpha;
        } else {
            cv::cvtColor(image, gray, cv::COLOR_BGRA2GRAY);
        }
    } else if (image.channels() == 3) {
        cv::cvtColor(image, gray, cv::COLOR_BGR2GRAY);
    } else {
        gray = image;
    }
    return {gray, {}};
}

std::string EncodePng(const cv::Mat& bgra) {
    std::vector<unsigned char> bytes;
    try {
        // Level 1 with the RLE strategy: an alpha picture with large empty
        // areas packs nearly as well as at level 9 at a fraction of the time.
        const std::vector<int> params = {cv::IMWRITE_PNG_COMPRESSION, 1, cv::IMWRITE_PNG_STRATEGY,
                                         cv::IMWRITE_PNG_STRATEGY_RLE};
        if (!cv::imencode(".png", bgra, bytes, params)) {
            return {};
        }
    } catch (const cv::Exception&) {
        return {};
    }
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace quillora::service
