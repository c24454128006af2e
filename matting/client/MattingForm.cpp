#include "matting/client/MattingForm.h"

#include "common/codec/Base64.h"
#include "common/codec/Digest.h"
#include "net/transport/CurlTransfer.h"

namespace quillora::matting {

std::string SignedText(const ParameterMap& parameters) {
    std::string text;
    for (const auto& [key, value] : parameters) {
        if (key == "image" || key == "mask" || value.empty()) {
            continue;
        }
        if (!text.empty()) {
            text.push_back('&');
        }
        text.append(key).append("=").append(value);
    }
    return text;
}

std::string SignParameters(const ParameterMap& parameters, std::string_view key) {
    return codec::Base64Encode(codec::HmacSha256(key, SignedText(parameters)));
}

std::string EncodeForm(const ParameterMap& parameters) {
    std::size_t estimate = 0;
    for (const auto& [key, value] : parameters) {
        estimate += key.size() + value.size() + 2;
    }
    std::string body;
    // Base64's "+", "/" and "=" grow by two bytes each when escaped; a little
    // headroom spares one reallocation of a large image.
    body.reserve(estimate + estimate / 16);
    for (const auto& [key, value] : parameters) {
        if (!body.empty()) {
            body.push_back('&');
        }
        body.append(net::CurlEscape(key)).append("=").append(net::CurlEscape(value));
    }
    return body;
}

}  // namespace quillora::matting
