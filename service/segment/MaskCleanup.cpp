#include "service/segment/MaskCleanup.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <vector>

namespace quillora::service {
namespace {

// Keeps the 8-connected parts of `mask` whose area passes `keep`.
template <typename Keep>
cv::Mat FilterParts(const cv::Mat& mask, int connectivity, Keep keep) {
    cv::Mat components;
    cv::Mat stats;
    cv::Mat centroids;
    const int count =
        cv::connectedComponentsWithStats(mask, components, stats, centroids, connectivity, CV_32S);
    std::vector<uchar> kept(count, 0);
    for (int i = 1; i < count; ++i) {
        kept[i] = keep(stats, i) ? 255 : 0;
    }
    cv::Mat out(mask.size(), CV_8U);
    for (int y = 0; y < mask.rows; ++y) {
        const int* in = components.ptr<int>(y);
        uchar* row = out.ptr<uchar>(y);
        for (int x = 0; x < mask.cols; ++x) {
            row[x] = kept[in[x]];
        }
    }
    return out;
}

}  // namespace

cv::Mat CleanMatte(const cv::Mat& matte, double minShare, double holeShare) {
    cv::Mat components;
    cv::Mat stats;
    cv::Mat centroids;
    const int count =
        cv::connectedComponentsWithStats(matte, components, stats, centroids, 8, CV_32S);
    int largest = 0;
    for (int i = 1; i < count; ++i) {
        largest = std::max(largest, stats.at<int>(i, cv::CC_STAT_AREA));
    }
    cv::Mat kept = FilterParts(matte, 8, [&](const cv::Mat& s, int i) {
        return s.at<int>(i, cv::CC_STAT_AREA) >= largest * minShare;
    });
    // Holes: background parts that do not reach the picture's edge.
    const cv::Mat background = kept == 0;
    const double holeLimit = holeShare * matte.total();
    const cv::Mat smallHoles = FilterParts(background, 4, [&](const cv::Mat& s, int i) {
        const int x = s.at<int>(i, cv::CC_STAT_LEFT);
        const int y = s.at<int>(i, cv::CC_STAT_TOP);
        const bool edge = x == 0 || y == 0 || x + s.at<int>(i, cv::CC_STAT_WIDTH) == matte.cols ||
                          y + s.at<int>(i, cv::CC_STAT_HEIGHT) == matte.rows;
        return !edge && s.at<int>(i, cv::CC_STAT_AREA) < holeLimit;
    });
    return kept | smallHoles;
}

}  // namespace quillora::service
