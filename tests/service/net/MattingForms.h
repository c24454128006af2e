#pragma once

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <string>
#include <vector>

#include "LoopbackService.h"
#include "common/codec/Base64.h"
#include "service/wire/FormBody.h"
#include "service/wire/RequestSigning.h"
#include "service/wire/SharedKeys.h"

namespace quillora::service::testing {

// The header line the program sends with every matting request, stray
// apostrophes included.
inline const char* const kProgramHeaderLine = "Content-Type': 'application/x-www-form-urlencoded";

inline std::string EncodeImage(const cv::Mat& image, const std::string& extension = ".png") {
    std::vector<uchar> bytes;
    cv::imencode(extension, image, bytes);
    return std::string(bytes.begin(), bytes.end());
}

// The fields of a cut-out request as the program fills them, signed.
inline FormFields CutOutForm(const std::string& photo, int cutobj, int alphamatting) {
    FormFields fields = {{"adid", "1001"},
                         {"alphamatting", std::to_string(alphamatting)},
                         {"cutobj", std::to_string(cutobj)},
                         {"filetype", "png"},
                         {"image", codec::Base64Encode(photo)},
                         {"imagesize", std::to_string(photo.size())},
                         {"lc", "zh_CN"},
                         {"partner_id", "0"},
                         {"platform", "windows"},
                         {"product_id", "1"},
                         {"t", "1700000000000"},
                         {"uid", "MACHINE"},
                         {"username", ""},
                         {"version", "1.0.0.0"}};
    fields["s"] = MattingSignature(fields, kMattingApiKey);
    return fields;
}

// key=value pairs joined with "&", each side escaped like curl_escape.
inline std::string EncodeForm(const FormFields& fields) {
    std::string body;
    for (const auto& [key, value] : fields) {
        if (!body.empty()) {
            body += '&';
        }
        body += Curl::Escape(key) + "=" + Curl::Escape(value);
    }
    return body;
}

inline HttpAnswer PostMatting(const LoopbackService& service, const std::string& body) {
    return Curl::Post(service.Base() + "/quillora/cutout.py", body, {kProgramHeaderLine});
}

// The decoded cut-out of an answer, or an empty picture.
inline cv::Mat CutOutOf(const std::string& answerJson) {
    const std::string marker = "\"image\":\"";
    const auto start = answerJson.find(marker);
    if (start == std::string::npos) {
        return {};
    }
    const auto end = answerJson.find('"', start + marker.size());
    const auto png =
        codec::Base64Decode(answerJson.substr(start + marker.size(), end - start - marker.size()));
    if (!png) {
        return {};
    }
    const std::vector<uchar> bytes(png->begin(), png->end());
    return cv::imdecode(bytes, cv::IMREAD_UNCHANGED);
}

}  // namespace quillora::service::testing
