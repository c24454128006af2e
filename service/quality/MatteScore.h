#pragma once

#include <opencv2/core/mat.hpp>

namespace quillora::service {

// How a computed alpha compares with the true one (both 8-bit, same size).
struct MatteScore {
    double iou = 0;        // intersection over union of alpha > 0.5
    double meanError = 0;  // mean absolute alpha difference, 0..1
};

MatteScore ScoreMatte(const cv::Mat& alpha, const cv::Mat& truth);

}  // namespace quillora::service
