#pragma once

#include <opencv2/core/mat.hpp>

#include "service/segment/Segmenter.h"

namespace quillora::service {

// The whole cut-out: segmentation at a reduced size, the matte brought to
// full size along the photo's edges, and the subject's colours cleaned where
// its edge is partly transparent. 8-bit BGRA at the photo's size, or empty
// when no segmenter gave an answer.
cv::Mat MakeCutOut(const cv::Mat& photoBgr, const Segmenter& segmenter, Subject subject,
                   bool softEdge);

// The cut-out for a caller-supplied mask (8-bit, any size; it is stretched to
// the photo). Mask values 200 and above are kept as subject and 55 and below
// as background, exactly; values between are unsure (128..199 leaning to the
// subject, 56..127 to the background) and decided by GrabCut and the edge
// refinement. A mask of only 0 and 255 is thus applied as it is.
// With a `learned` segmenter the unsure pixels take its matte instead, with
// the sure areas written into it before the edge refinement, so the outline
// next to a forced area follows the photo's edges; when it gives no answer
// GrabCut decides as without it.
cv::Mat MakeCutOutFromMask(const cv::Mat& photoBgr, const cv::Mat& mask,
                           const Segmenter* learned = nullptr);

}  // namespace quillora::service
