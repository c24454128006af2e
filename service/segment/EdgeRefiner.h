#pragma once

#include <opencv2/core/mat.hpp>

namespace quillora::service {

// Brings a coarse matte to the photo's full size along the photo's own edges.
// A guided filter (colour guide) fitted at the coarse size gives, per window,
// a linear map from colour to coverage; the maps are interpolated to full size
// and applied to the full-size colours, so the outline follows the photo's
// edges at its own resolution. Away from the outline the coarse answer stands.
// `soft` keeps fractional coverage (hair, blur); otherwise every pixel is
// fully in or out. Returns 8-bit alpha at the photo's size.
cv::Mat RefineMatteToFullSize(const cv::Mat& photoBgr, const cv::Mat& coarse, bool soft);

// The guided filter's per-pixel linear coefficients (a for B, G, R and b) at
// the coarse size, already averaged over each window; exposed for the tests.
cv::Mat GuidedCoefficients(const cv::Mat& guideBgr, const cv::Mat& coarse, int radius, double eps);

}  // namespace quillora::service
