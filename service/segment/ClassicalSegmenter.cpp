#include "service/segment/ClassicalSegmenter.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

#include "service/segment/InitialMarkers.h"
#include "service/segment/MaskCleanup.h"

namespace quillora::service {
namespace {

constexpr int kGrabCutRounds = 5;
constexpr double kSpeckShare = 0.1;
constexpr double kHoleShare = 0.001;

bool HasBoth(const cv::Mat& labels) {
    const cv::Mat foreground = (labels & 1) != 0;  // GC_FGD and GC_PR_FGD are odd
    const int count = cv::countNonZero(foreground);
    return count > 0 && count < static_cast<int>(labels.total());
}

// Runs GrabCut; when it cannot run (no sample on one side) the labels are
// taken as they are.
cv::Mat RunGrabCut(const cv::Mat& bgr, cv::Mat labels) {
    if (HasBoth(labels)) {
        try {
            cv::Mat backgroundModel;
            cv::Mat foregroundModel;
            cv::grabCut(bgr, labels, cv::Rect(), backgroundModel, foregroundModel, kGrabCutRounds,
                        cv::GC_INIT_WITH_MASK);
        } catch (const cv::Exception&) {
            // The markers stand as the answer.
        }
    }
    cv::Mat matte = (labels & 1) != 0;
    return matte;
}

}  // namespace

cv::Mat ReduceToSide(const cv::Mat& image, int side) {
    const int longest = std::max(image.cols, image.rows);
    if (longest <= side) {
        return image;
    }
    const double scale = double(side) / longest;
    cv::Mat reduced;
    cv::resize(image, reduced,
               cv::Size(std::max(1, cvRound(image.cols * scale)),
                        std::max(1, cvRound(image.rows * scale))),
               0, 0, cv::INTER_AREA);
    return reduced;
}

cv::Mat ClassicalSegmenter::Segment(const cv::Mat& photoBgr, Subject subject) const {
    if (photoBgr.empty() || photoBgr.type() != CV_8UC3) {
        return {};
    }
    const cv::Mat small = ReduceToSide(photoBgr, kWorkingSide);
    const InitialMarkers markers = MakeInitialMarkers(small, subject);
    const cv::Mat matte = RunGrabCut(small, markers.labels);
    return CleanMatte(matte, kSpeckShare, kHoleShare);
}

cv::Mat ClassicalSegmenter::SegmentFromLabels(const cv::Mat& photoBgr, cv::Mat labels) {
    if (photoBgr.empty() || labels.size() != photoBgr.size() || labels.type() != CV_8U) {
        return {};
    }
    return RunGrabCut(photoBgr, std::move(labels));
}

}  // namespace quillora::service
