#include "service/server/MattingAnswer.h"

#include <json/writer.h>
#include <opencv2/core.hpp>

#include <charconv>
#include <new>

#include "common/codec/Base64.h"
#include "service/imaging/PhotoCodec.h"
#include "service/segment/CutOut.h"
#include "service/server/ComputeGate.h"
#include "service/wire/RequestSigning.h"

namespace quillora::service {
namespace {

// The answer when more requests wait for a computing place than are allowed.
const char* const kBusy = "busy, try again shortly";

// A whole decimal number of bytes, digits only.
bool ParseByteCount(std::string_view text, std::int64_t& value) {
    if (text.empty() || text.size() > 18) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

const std::string* Field(const FormFields& fields, const char* name) {
    const auto found = fields.find(name);
    return found == fields.end() ? nullptr : &found->second;
}

std::string Acceptance(const std::string& png) {
    std::string answer = "{\"result\":1,\"image\":\"";
    answer += codec::Base64Encode(png);
    answer += "\"}";
    return answer;
}

}  // namespace

std::string MattingRefusal(std::string_view message) {
    Json::Value answer(Json::objectValue);
    answer["result"] = 0;
    answer["msg"] = std::string(message);
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, answer);
}

namespace {

// Runs a computation that may throw (OpenCV reports failures by exception,
// memory may run out) and turns a throw into a failed result.
template <typename Compute>
MattingResult Guarded(Compute compute) {
    try {
        return compute();
    } catch (const cv::Exception&) {
        return {{}, "cut-out failed"};
    } catch (const std::bad_alloc&) {
        return {{}, "not enough memory"};
    }
}

MattingResult CutOutOf(std::string_view photoBytes, Subject subject, bool softEdge,
                       std::int64_t maxPixels, const Segmenter& segmenter) {
    const DecodedPhoto photo = DecodePhoto(photoBytes, maxPixels);
    if (photo.bgr.empty()) {
        return {{}, photo.error};
    }
    const cv::Mat cutOut = MakeCutOut(photo.bgr, segmenter, subject, softEdge);
    if (cutOut.empty()) {
        return {{}, "no subject found"};
    }
    std::string png = EncodePng(cutOut);
    if (png.empty()) {
        return {{}, "cut-out cannot be encoded"};
    }
    return {std::move(png), {}};
}

MattingResult RefineOf(std::string_view photoBytes, std::string_view maskBytes,
                       std::int64_t maxPixels, const Segmenter* learned) {
    const DecodedPhoto photo = DecodePhoto(photoBytes, maxPixels);
    if (photo.bgr.empty()) {
        return {{}, photo.error};
    }
    const DecodedPhoto mask = DecodeMask(maskBytes, maxPixels);
    if (mask.bgr.empty()) {
        return {{}, "mask: " + mask.error};
    }
    const cv::Mat cutOut = MakeCutOutFromMask(photo.bgr, mask.bgr, learned);
    std::string png = cutOut.empty() ? std::string() : EncodePng(cutOut);
    if (png.empty()) {
        return {{}, "cut-out cannot be made"};
    }
    return {std::move(png), {}};
}

}  // namespace

MattingResult ComputeCutOut(std::string_view photoBytes, Subject subject, bool softEdge,
                            std::int64_t maxPixels, const Segmenter& segmenter) {
    return Guarded([&] { return CutOutOf(photoBytes, subject, softEdge, maxPixels, segmenter); });
}

MattingResult ComputeRefine(std::string_view photoBytes, std::string_view maskBytes,
                            std::int64_t maxPixels, const Segmenter* learned) {
    return Guarded([&] { return RefineOf(photoBytes, maskBytes, maxPixels, learned); });
}

std::string AnswerMattingForm(const FormFields& fields, std::string_view key,
                              const MattingLimits& limits, const SegmenterChain& segmenter,
                              ComputeGate& gate) {
    if (!limits.open) {
        return MattingRefusal("service closed");
    }
    if (!HasValidMattingSignature(fields, key)) {
        return MattingRefusal("signature does not match");
    }
    const std::string* image = Field(fields, "image");
    const std::string* imageSize = Field(fields, "imagesize");
    std::int64_t declared = 0;
    if (!image || image->empty() || !imageSize || !ParseByteCount(*imageSize, declared)) {
        return MattingRefusal("image and imagesize are required");
    }
    if (declared > limits.maxPhotoBytes) {
        return MattingRefusal("photo larger than the limit");
    }
    // The declared size bounds the decoding: a longer field is refused before
    // any memory is spent on it.
    const auto photo = codec::Base64Decode(*image, static_cast<std::size_t>(declared));
    if (!photo) {
        return MattingRefusal("image is not valid Base64 of imagesize bytes");
    }
    if (static_cast<std::int64_t>(photo->size()) != declared) {
        return MattingRefusal("imagesize does not match the image");
    }

    MattingResult result;
    if (const std::string* mask = Field(fields, "mask")) {
        const auto maskBytes =
            codec::Base64Decode(*mask, static_cast<std::size_t>(limits.maxPhotoBytes));
        if (!maskBytes || maskBytes->empty()) {
            return MattingRefusal("mask is not valid Base64");
        }
        const ComputeGate::Pass pass(gate);
        if (!pass.Admitted()) {
            return MattingRefusal(kBusy);
        }
        result = ComputeRefine(*photo, *maskBytes, limits.maxPixels,
                               segmenter.Find(kLearnedSegmenterName));
    } else {
        const std::string* cutobj = Field(fields, "cutobj");
        const std::string* alphamatting = Field(fields, "alphamatting");
        if (!cutobj || (*cutobj != "0" && *cutobj != "1") || !alphamatting ||
            (*alphamatting != "0" && *alphamatting != "1")) {
            return MattingRefusal("cutobj and alphamatting must be 0 or 1");
        }
        const Subject subject = *cutobj == "1" ? Subject::Object : Subject::Person;
        const ComputeGate::Pass pass(gate);
        if (!pass.Admitted()) {
            return MattingRefusal(kBusy);
        }
        result = ComputeCutOut(*photo, subject, *alphamatting == "1", limits.maxPixels, segmenter);
    }
    return result.png.empty() ? MattingRefusal(result.error) : Acceptance(result.png);
}

}  // namespace quillora::service
