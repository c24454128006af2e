#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "service/segment/Segmenter.h"
#include "service/wire/FormBody.h"

namespace quillora::service {

class ComputeGate;

struct MattingResult {
    std::string png;    // the cut-out; empty on failure
    std::string error;  // why, when png is empty
};

// Photo bytes as stored on disk in, PNG cut-out at the photo's size out.
MattingResult ComputeCutOut(std::string_view photoBytes, Subject subject, bool softEdge,
                            std::int64_t maxPixels, const Segmenter& segmenter);

// Photo and mask bytes in; the mask decides where it is sure, `learned`
// (may be null) where it is not (see MakeCutOutFromMask).
MattingResult ComputeRefine(std::string_view photoBytes, std::string_view maskBytes,
                            std::int64_t maxPixels, const Segmenter* learned = nullptr);

struct MattingLimits {
    bool open = true;
    std::int64_t maxPhotoBytes = 0;
    std::int64_t maxPixels = 0;
};

// The whole answer to a matting form, as JSON text: {"result":1,"image":...}
// with the Base64 PNG, or {"result":0,"msg":...} when the form is not signed
// with `key`, its photo is not valid Base64, its imagesize is not the photo's
// byte count, the photo is too large or cannot be decoded, or the service is
// closed. A form with a "mask" field is a refine request, for which the
// chain's learned segmenter, when it has one, decides the unsure parts. The computing
// itself waits for a place at `gate`; when too many already wait the answer
// is a "busy" refusal.
std::string AnswerMattingForm(const FormFields& fields, std::string_view key,
                              const MattingLimits& limits, const SegmenterChain& segmenter,
                              ComputeGate& gate);

// {"result":0,"msg":...}
std::string MattingRefusal(std::string_view message);

}  // namespace quillora::service
