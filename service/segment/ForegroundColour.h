#pragma once

#include <opencv2/core/mat.hpp>

namespace quillora::service {

// Builds the cut-out (8-bit BGRA, straight alpha) from the photo and its full
// size alpha. Where the alpha is partial the photo's colour is a mix of
// subject and background; there the subject's own colour is estimated, so no
// fringe of the old background shows on a new one. The estimate solves
// I = aF + (1-a)B per pixel for F and B, held near the colours of the nearest
// sure subject and sure background (taken at the reduced size of `coarse`).
// Fully transparent pixels get colour 0.
cv::Mat ComposeCutOut(const cv::Mat& photoBgr, const cv::Mat& alpha, const cv::Mat& coarse);

// Spreads the colours of the known pixels over the unknown ones, each unknown
// pixel taking a weighted mean of the nearest known ones (push-pull over a
// pyramid). `known` is 8-bit, non-zero where the colour counts.
cv::Mat FillFromKnown(const cv::Mat& bgr, const cv::Mat& known);

}  // namespace quillora::service
