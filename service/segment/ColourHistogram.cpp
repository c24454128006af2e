#include "service/segment/ColourHistogram.h"

#include <opencv2/imgproc.hpp>

namespace quillora::service {

namespace {
constexpr int kHistogramBins = 8;
}  // namespace

cv::Mat ColourHistogram(const cv::Mat& bgr, const cv::Mat& mask) {
    const int channels[] = {0, 1, 2};
    const int bins[] = {kHistogramBins, kHistogramBins, kHistogramBins};
    const float range[] = {0, 256};
    const float* ranges[] = {range, range, range};
    cv::Mat histogram;
    cv::calcHist(&bgr, 1, channels, mask, histogram, 3, bins, ranges);
    const double total = cv::sum(histogram)[0];
    if (total > 0) {
        histogram /= total;
    }
    return histogram;
}

}  // namespace quillora::service
