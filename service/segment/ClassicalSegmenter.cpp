#include "service/segment/ClassicalSegmenter.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "service/segment/CutScore.h"
#include "service/segment/InitialMarkers.h"
#include "service/segment/MaskCleanup.h"

namespace quillora::service {
namespace {

constexpr int kSearchSide = 320;
constexpr std::uint64_t kGeneratorState = 0x2545F4914F6CDD1DULL;
constexpr int kGrabCutRounds = 4;
constexpr int kSearchRounds = 3;
constexpr int kFinishRounds = 2;
constexpr double kSpeckShare = 0.1;
// On a busy background a separate part is more likely a piece of the scene.
constexpr double kBusySpeckShare = 0.3;
constexpr double kHoleShare = 0.001;
// Half sizes, as shares of the picture, of the middle boxes tried on a busy
// background; the subject of a product photo sits about the middle.
constexpr double kMiddleBoxes[] = {0.25, 0.33, 0.42};

bool HasBoth(const cv::Mat& labels) {
    const cv::Mat foreground = (labels & 1) != 0;  // GC_FGD and GC_PR_FGD are odd
    const int count = cv::countNonZero(foreground);
    return count > 0 && count < static_cast<int>(labels.total());
}

// Runs GrabCut; when it cannot run (no sample on one side) the labels are
// taken as they are.
cv::Mat RunGrabCut(const cv::Mat& bgr, cv::Mat labels, int rounds,
                   double speckShare = kSpeckShare) {
    if (HasBoth(labels)) {
        try {
            // GrabCut starts its colour models with k-means from random picks;
            // a fixed generator state on this thread keeps answers repeatable.
            cv::theRNG().state = kGeneratorState;
            cv::Mat backgroundModel;
            cv::Mat foregroundModel;
            cv::grabCut(bgr, labels, cv::Rect(), backgroundModel, foregroundModel, rounds,
                        cv::GC_INIT_WITH_MASK);
        } catch (const cv::Exception&) {
            // The markers stand as the answer.
        }
    }
    cv::Mat matte = (labels & 1) != 0;
    return CleanMatte(matte, speckShare, kHoleShare);
}

cv::Mat BoxLabels(cv::Size size, const cv::Rect& box) {
    cv::Mat labels(size, CV_8U, cv::Scalar(cv::GC_BGD));
    labels(box & cv::Rect(0, 0, size.width, size.height)).setTo(cv::GC_PR_FGD);
    return labels;
}

cv::Rect Scaled(const cv::Rect& box, double scale) {
    return cv::Rect(cvRound(box.x * scale), cvRound(box.y * scale), cvRound(box.width * scale),
                    cvRound(box.height * scale));
}

// Labels for finishing a cut found at a smaller size: its inside is probably
// subject, a ring around it probably background, the rest surely background
// and its deep inside surely subject.
cv::Mat LabelsAround(const cv::Mat& cut, cv::Size size) {
    cv::Mat up;
    cv::resize(cut, up, size, 0, 0, cv::INTER_NEAREST);
    const int m = std::min(size.width, size.height);
    const auto disc = [](int r) {
        return cv::getStructuringElement(cv::MORPH_ELLIPSE, {2 * r + 1, 2 * r + 1});
    };
    cv::Mat ring;
    cv::Mat core;
    cv::dilate(up, ring, disc(std::max(2, m / 30)));
    cv::erode(up, core, disc(std::max(2, m / 15)));
    cv::Mat labels(size, CV_8U, cv::Scalar(cv::GC_BGD));
    labels.setTo(cv::GC_PR_BGD, ring);
    labels.setTo(cv::GC_PR_FGD, up);
    labels.setTo(cv::GC_FGD, core);
    return labels;
}

// On a busy background the automatic markers are one guess among several:
// boxes about the middle are tried too, each cut at a small size, and the
// cut that stands apart best from its surroundings is finished at full
// working size.
cv::Mat SearchBusyScene(const cv::Mat& photoBgr, const cv::Mat& small,
                        const InitialMarkers& markers, bool bottomIsOpen) {
    const cv::Mat tiny = ReduceToSide(photoBgr, kSearchSide);
    const double toTiny = double(tiny.cols) / small.cols;
    std::vector<cv::Mat> guesses;
    cv::Mat markerLabels;
    cv::resize(markers.labels, markerLabels, tiny.size(), 0, 0, cv::INTER_NEAREST);
    guesses.push_back(markerLabels);
    guesses.push_back(BoxLabels(tiny.size(), Scaled(markers.box, toTiny)));
    for (const double half : kMiddleBoxes) {
        const int w = cvRound(tiny.cols * half);
        const int h = cvRound(tiny.rows * half);
        cv::Rect box(tiny.cols / 2 - w, tiny.rows / 2 - h, 2 * w, 2 * h);
        if (bottomIsOpen) {
            box.height = tiny.rows - box.y;
        }
        guesses.push_back(BoxLabels(tiny.size(), box));
    }
    std::vector<cv::Mat> cuts(guesses.size());
    std::vector<double> scores(guesses.size(), -1);
    cv::parallel_for_(cv::Range(0, static_cast<int>(guesses.size())), [&](const cv::Range& range) {
        for (int i = range.start; i < range.end; ++i) {
            cuts[i] = RunGrabCut(tiny, guesses[i], kSearchRounds);
            scores[i] = ScoreCut(tiny, cuts[i], bottomIsOpen);
        }
    });
    const auto bestAt = std::max_element(scores.begin(), scores.end()) - scores.begin();
    const cv::Mat& best = cuts[bestAt];
    if (cv::countNonZero(best) == 0) {
        return RunGrabCut(small, markers.labels, kGrabCutRounds);
    }
    return RunGrabCut(small, LabelsAround(best, small.size()), kFinishRounds, kBusySpeckShare);
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
    if (markers.plainBackdrop || markers.faceFound) {
        return RunGrabCut(small, markers.labels, kGrabCutRounds);
    }
    return SearchBusyScene(photoBgr, small, markers, subject == Subject::Person);
}

cv::Mat ClassicalSegmenter::SegmentFromLabels(const cv::Mat& photoBgr, cv::Mat labels) {
    if (photoBgr.empty() || labels.size() != photoBgr.size() || labels.type() != CV_8U) {
        return {};
    }
    return RunGrabCut(photoBgr, std::move(labels), kGrabCutRounds);
}

}  // namespace quillora::service
