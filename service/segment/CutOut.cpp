#include "service/segment/CutOut.h"

#include <opencv2/imgproc.hpp>

#include "service/segment/ClassicalSegmenter.h"
#include "service/segment/EdgeRefiner.h"
#include "service/segment/ForegroundColour.h"

namespace quillora::service {
namespace {

constexpr uchar kSureSubject = 200;
constexpr uchar kSureBackground = 55;
constexpr uchar kLeaningSubject = 128;

cv::Mat LabelsFromMask(const cv::Mat& mask) {
    cv::Mat labels(mask.size(), CV_8U, cv::Scalar(cv::GC_PR_BGD));
    labels.setTo(cv::GC_PR_FGD, mask >= kLeaningSubject);
    labels.setTo(cv::GC_FGD, mask >= kSureSubject);
    labels.setTo(cv::GC_BGD, mask <= kSureBackground);
    return labels;
}

}  // namespace

cv::Mat MakeCutOut(const cv::Mat& photoBgr, const Segmenter& segmenter, Subject subject,
                   bool softEdge) {
    if (photoBgr.empty() || photoBgr.type() != CV_8UC3) {
        return {};
    }
    const cv::Mat coarse = segmenter.Segment(photoBgr, subject);
    if (coarse.empty()) {
        return {};
    }
    const cv::Mat alpha = RefineMatteToFullSize(photoBgr, coarse, softEdge);
    return ComposeCutOut(photoBgr, alpha, coarse);
}

cv::Mat MakeCutOutFromMask(const cv::Mat& photoBgr, const cv::Mat& mask, const Segmenter* learned) {
    if (photoBgr.empty() || photoBgr.type() != CV_8UC3 || mask.empty() || mask.type() != CV_8U) {
        return {};
    }
    cv::Mat fullMask = mask;
    if (mask.size() != photoBgr.size()) {
        cv::resize(mask, fullMask, photoBgr.size(), 0, 0, cv::INTER_NEAREST);
    }
    const cv::Mat unsure = (fullMask > kSureBackground) & (fullMask < kSureSubject);
    cv::Mat alpha = fullMask >= kSureSubject;
    if (cv::countNonZero(unsure) == 0) {
        return ComposeCutOut(photoBgr, alpha,
                             ReduceToSide(alpha, ClassicalSegmenter::kWorkingSide));
    }
    cv::Mat coarse = learned ? learned->Segment(photoBgr, Subject::Object) : cv::Mat();
    if (!coarse.empty()) {
        cv::Mat coarseMask;
        cv::resize(fullMask, coarseMask, coarse.size(), 0, 0, cv::INTER_NEAREST);
        coarse.setTo(255, coarseMask >= kSureSubject);
        coarse.setTo(0, coarseMask <= kSureBackground);
    } else {
        const cv::Mat small = ReduceToSide(photoBgr, ClassicalSegmenter::kWorkingSide);
        cv::Mat smallMask;
        cv::resize(fullMask, smallMask, small.size(), 0, 0, cv::INTER_NEAREST);
        coarse = ClassicalSegmenter::SegmentFromLabels(small, LabelsFromMask(smallMask));
    }
    const cv::Mat refined = RefineMatteToFullSize(photoBgr, coarse, true);
    // Only the unsure pixels take the computed coverage; the sure ones keep
    // what the mask says.
    refined.copyTo(alpha, unsure);
    return ComposeCutOut(photoBgr, alpha, coarse);
}

}  // namespace quillora::service
