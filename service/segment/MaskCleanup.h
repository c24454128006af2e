#pragma once

#include <opencv2/core/mat.hpp>

namespace quillora::service {

// Tidies a binary matte (0 or 255): drops specks smaller than `minShare` of
// the largest part, and fills holes smaller than `holeShare` of the picture
// (a hole that large is background seen through the subject, and stays).
cv::Mat CleanMatte(const cv::Mat& matte, double minShare, double holeShare);

}  // namespace quillora::service
