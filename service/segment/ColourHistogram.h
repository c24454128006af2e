#pragma once

#include <opencv2/core/mat.hpp>

namespace quillora::service {

// Colour histogram (8 x 8 x 8 bins) of the BGR pixels under `mask`, summing
// to 1 (all zero for an empty mask), for comparing two regions' colours with
// histogram intersection.
cv::Mat ColourHistogram(const cv::Mat& bgr, const cv::Mat& mask);

}  // namespace quillora::service
