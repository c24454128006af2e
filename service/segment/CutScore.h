#pragma once

#include <opencv2/core/mat.hpp>

namespace quillora::service {

// Judges a candidate cut of a photo (8-bit BGR) without knowing the answer:
// a subject is set off from its surroundings along its whole outline, so the
// colours just inside and just outside the outline differ, and the photo has
// a strong edge where the outline runs. Cuts that run out of the picture's
// sides or that take nearly all or nearly none of it score low. Higher is
// better; 0 for an empty cut.
double ScoreCut(const cv::Mat& bgr, const cv::Mat& cut, bool bottomIsOpen);

}  // namespace quillora::service
