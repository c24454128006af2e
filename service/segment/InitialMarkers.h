#pragma once

#include <opencv2/core/mat.hpp>

#include <optional>

#include "service/segment/Segmenter.h"

namespace quillora::service {

// Starting labels for GrabCut at the working size, in its own vocabulary
// (cv::GC_BGD, GC_FGD, GC_PR_BGD, GC_PR_FGD). Built from the edge colours
// (a backdrop is what runs along the edges), the minimum barrier distance (a
// subject is set off by an outline), a preference for the middle, and for
// people a head-and-shoulders shape hung from the face when one is found.
struct InitialMarkers {
    cv::Mat labels;      // CV_8U GrabCut labels
    cv::Rect box;        // where the subject is thought to be
    bool plainBackdrop;  // the edges show one even colour
    bool faceFound;
};

InitialMarkers MakeInitialMarkers(const cv::Mat& bgr, Subject subject);

// Head-and-shoulders labels hung from a face rectangle, drawn into `labels`:
// the face middle and a column down the chest are sure, the head oval and
// the widening shoulders probable. Everything outside the figure's box that
// is not the bottom edge is marked sure background.
void DrawHeadAndShoulders(cv::Mat& labels, const cv::Rect& face);

}  // namespace quillora::service
