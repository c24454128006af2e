#pragma once

#include "service/segment/Segmenter.h"

namespace quillora::service {

// Segmentation without a learned model: GrabCut at a reduced size, started
// from automatic markers (edge colours, barrier distance, and for people a
// head-and-shoulders shape hung from the face), then tidied.
class ClassicalSegmenter : public Segmenter {
public:
    // Longest side of the picture GrabCut works on.
    static constexpr int kWorkingSide = 512;

    std::string_view Name() const override { return "classical"; }
    cv::Mat Segment(const cv::Mat& photoBgr, Subject subject) const override;

    // GrabCut from caller-supplied labels (GrabCut's vocabulary, same size as
    // `photoBgr`) rather than automatic ones; for the refine request.
    static cv::Mat SegmentFromLabels(const cv::Mat& photoBgr, cv::Mat labels);
};

// The photo reduced so its longest side is at most `side` (area averaging).
cv::Mat ReduceToSide(const cv::Mat& image, int side);

}  // namespace quillora::service
