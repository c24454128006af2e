#include "service/segment/Openings.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "service/segment/ClassicalSegmenter.h"
#include "service/segment/ColourHistogram.h"

namespace quillora::service {
namespace {

// GrabCut works at this size: openings a few pixels wide here are a few
// dozen in a photo, and three rounds take tens of milliseconds.
constexpr int kWorkingSide = 320;
constexpr int kRounds = 3;
constexpr int kSubject = 127;
constexpr int kSureBackground = 26;  // under 10 % of 255
// The band around the subject whose colours tell busy from plain, and the
// margin around the subject's box GrabCut learns the background from, both
// as shares of the picture's short side.
constexpr double kBandShare = 0.04;
constexpr double kMarginShare = 0.12;
// Mean Lab distance of the band's pixels from their mean colour: a studio
// backdrop's gradient and noise stay well below, a photograph is far over.
constexpr double kBusySpread = 12.0;
// A studio backdrop along the picture's edges: its light fall-off and noise
// stay under this, where even a blurred photograph's edges go over it.
constexpr double kPlainSpread = 4.5;
// An opening is at least this share of the subject (smaller ones are
// speckle) and at most this share (more means the subject itself is in doubt).
constexpr double kSmallestOpening = 0.002;
constexpr double kLargestOpening = 0.4;
// GrabCut starts its colour models from random picks; a fixed generator
// state on this thread keeps the answer for a photo the same every time.
constexpr std::uint64_t kGeneratorState = 0x5DEECE66DULL;
// What shows through an opening is what lies around the subject: at least
// this share of an opening's colours (histogram intersection) must be found
// in the background near it. A white strap on a suit, or a badge, is
// another colour than the room behind the wearer, however GrabCut's colour
// models weigh it.
constexpr double kSeenAround = 0.5;
cv::Mat Disc(int radius) {
    return cv::getStructuringElement(cv::MORPH_ELLIPSE, {2 * radius + 1, 2 * radius + 1});
}

// Mean Lab distance of the pixels under `band` from their mean colour.
double ColourSpread(const cv::Mat& bgr, const cv::Mat& band) {
    cv::Mat lab;
    bgr.convertTo(lab, CV_32FC3, 1.0 / 255);
    cv::cvtColor(lab, lab, cv::COLOR_BGR2Lab);
    const cv::Scalar mean = cv::mean(lab, band);
    double spread = 0;
    int count = 0;
    for (int y = 0; y < lab.rows; ++y) {
        const auto* row = lab.ptr<cv::Vec3f>(y);
        const uchar* inBand = band.ptr<uchar>(y);
        for (int x = 0; x < lab.cols; ++x) {
            if (inBand[x]) {
                const double dl = row[x][0] - mean[0];
                const double da = row[x][1] - mean[1];
                const double db = row[x][2] - mean[2];
                spread += std::sqrt(dl * dl + da * da + db * db);
                ++count;
            }
        }
    }
    return count > 0 ? spread / count : 0.0;
}

}  // namespace

bool BusySurroundings(const cv::Mat& bgr, const cv::Mat& subject) {
    if (bgr.empty() || bgr.type() != CV_8UC3 || subject.size() != bgr.size() ||
        subject.type() != CV_8U) {
        return false;
    }
    const int reach = std::max(2, cvRound(std::min(bgr.cols, bgr.rows) * kBandShare));
    cv::Mat grown;
    cv::dilate(subject, grown, Disc(reach));
    const cv::Mat band = grown & ~subject;
    if (cv::countNonZero(band) < 16) {
        return false;
    }
    return ColourSpread(bgr, band) > kBusySpread;
}

bool PlainBorder(const cv::Mat& bgr, const cv::Mat& subject) {
    if (bgr.empty() || bgr.type() != CV_8UC3 || bgr.cols < 4 || bgr.rows < 4) {
        return false;
    }
    const cv::Mat small = ReduceToSide(bgr, kWorkingSide);
    const int reach = std::max(1, cvRound(std::min(small.cols, small.rows) * kBandShare));
    cv::Mat band(small.size(), CV_8U, cv::Scalar(255));
    band(cv::Rect(reach, reach, std::max(0, small.cols - 2 * reach),
                  std::max(0, small.rows - 2 * reach)))
        .setTo(0);
    if (!subject.empty() && subject.type() == CV_8U) {
        // Where the subject runs off the picture its own colours are no
        // part of the backdrop; nor is its soft rim.
        cv::Mat covered;
        cv::resize(subject, covered, small.size(), 0, 0, cv::INTER_LINEAR);
        cv::dilate(covered >= kSureBackground, covered, Disc(reach));
        band &= ~covered;
    }
    // Most of the edges must be left to judge by.
    const int edges = 2 * reach * (small.cols + small.rows);
    if (cv::countNonZero(band) * 2 < edges) {
        return false;
    }
    return ColourSpread(small, band) <= kPlainSpread;
}

cv::Mat OpenEnclosedBackground(const cv::Mat& photoBgr, const cv::Mat& coarse) {
    if (photoBgr.empty() || photoBgr.type() != CV_8UC3 || coarse.empty() ||
        coarse.type() != CV_8U) {
        return coarse;
    }
    const cv::Mat small = ReduceToSide(photoBgr, kWorkingSide);
    cv::Mat matte;
    cv::resize(coarse, matte, small.size(), 0, 0, cv::INTER_AREA);
    const cv::Mat subject = matte >= kSubject;
    const int subjectArea = cv::countNonZero(subject);
    if (subjectArea == 0 || !BusySurroundings(small, subject)) {
        return coarse;
    }
    // GrabCut learns the background from around the subject only.
    const int margin = cvRound(std::min(small.cols, small.rows) * kMarginShare);
    cv::Rect box = cv::boundingRect(subject);
    box =
        cv::Rect(box.x - margin, box.y - margin, box.width + 2 * margin, box.height + 2 * margin) &
        cv::Rect(0, 0, small.cols, small.rows);
    cv::Mat labels(box.size(), CV_8U, cv::Scalar(cv::GC_PR_BGD));
    labels.setTo(cv::GC_BGD, matte(box) < kSureBackground);
    labels.setTo(cv::GC_PR_FGD, subject(box));
    if (cv::countNonZero(labels == cv::GC_BGD) == 0) {
        return coarse;
    }
    try {
        cv::theRNG().state = kGeneratorState;
        cv::Mat backgroundModel;
        cv::Mat foregroundModel;
        cv::grabCut(small(box), labels, cv::Rect(), backgroundModel, foregroundModel, kRounds,
                    cv::GC_INIT_WITH_MASK);
    } catch (const cv::Exception&) {
        return coarse;
    }
    // Background pieces inside the subject that do not reach its outside.
    const cv::Mat candidates = ((labels & 1) == 0) & subject(box);
    cv::Mat outside;
    cv::dilate(~subject(box), outside, cv::Mat());
    cv::Mat components;
    cv::Mat stats;
    cv::Mat centres;
    const int count = cv::connectedComponentsWithStats(candidates, components, stats, centres, 8);
    std::vector<bool> open(count, false);
    bool any = false;
    for (int i = 1; i < count; ++i) {
        const int area = stats.at<int>(i, cv::CC_STAT_AREA);
        open[i] = area >= std::max(4.0, subjectArea * kSmallestOpening) &&
                  area <= subjectArea * kLargestOpening;
    }
    // A piece touching the outside is a notch of the outline, not an opening.
    for (int y = 0; y < components.rows; ++y) {
        const int* label = components.ptr<int>(y);
        const uchar* out = outside.ptr<uchar>(y);
        for (int x = 0; x < components.cols; ++x) {
            if (label[x] > 0 && out[x]) {
                open[label[x]] = false;
            }
        }
    }
    // Each opening is held against the background near it: within twice its
    // narrower width, and the band's width, of its own pixels.
    const cv::Mat background = matte(box) < kSureBackground;
    const int band = std::max(2, cvRound(std::min(small.cols, small.rows) * kBandShare));
    for (int i = 1; i < count; ++i) {
        if (!open[i]) {
            continue;
        }
        const cv::Mat piece = components == i;
        const int narrower =
            std::min(stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT));
        cv::Mat distance;
        cv::distanceTransform(~piece, distance, cv::DIST_L2, 3);
        const cv::Mat near = (distance <= 2.0 * narrower + band) & background;
        if (cv::countNonZero(near) < std::max(4, stats.at<int>(i, cv::CC_STAT_AREA) / 4)) {
            open[i] = false;  // no background within reach to compare with
            continue;
        }
        open[i] =
            cv::compareHist(ColourHistogram(small(box), piece), ColourHistogram(small(box), near),
                            cv::HISTCMP_INTERSECT) >= kSeenAround;
    }
    cv::Mat openings = cv::Mat::zeros(small.size(), CV_8U);
    cv::Mat inBox = openings(box);
    for (int y = 0; y < components.rows; ++y) {
        const int* label = components.ptr<int>(y);
        uchar* mark = inBox.ptr<uchar>(y);
        for (int x = 0; x < components.cols; ++x) {
            if (label[x] > 0 && open[label[x]]) {
                mark[x] = 255;
                any = true;
            }
        }
    }
    if (!any) {
        return coarse;
    }
    cv::Mat atCoarse;
    cv::resize(openings, atCoarse, coarse.size(), 0, 0, cv::INTER_LINEAR);
    cv::Mat opened = coarse.clone();
    opened.setTo(0, atCoarse >= kSubject);
    return opened;
}

}  // namespace quillora::service
