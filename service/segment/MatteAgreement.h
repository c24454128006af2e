#pragma once

#include <opencv2/core/mat.hpp>

#include <functional>

#include "service/segment/Segmenter.h"

namespace quillora::service {

// How two coarse mattes (8-bit, 255 subject) relate.
struct MatteComparison {
    // Share of the first matte's weighted pixels that are neither in nor out.
    double firstUnsure = 0;
    // Intersection over union of the two subjects (127 and above).
    double overlap = 0;
    // Share of the second subject that the first gives weight to.
    double secondInsideFirst = 0;
    // Share of the first subject that lies in the second subject.
    double firstInsideSecond = 0;
    // The second subject's area over the first's.
    double areaRatio = 0;
};

// The share of a matte's weighted pixels (10 % and above) that are neither
// clearly subject nor clearly background (between 10 % and 90 %). A network
// that has found one clear subject answers near 0 or 255 almost everywhere; a
// network torn between several things leaves broad grey areas.
double MatteUnsureShare(const cv::Mat& matte);

// Compares `second` (stretched to the first's size) with `first`.
MatteComparison CompareMattes(const cv::Mat& first, const cv::Mat& second);

// A learned matte this unsure is checked against a second opinion.
inline constexpr double kUnsureForSecondOpinion = 0.3;

// Whether a matte is unsure enough to ask a second segmenter.
bool WantsSecondOpinion(const cv::Mat& matte);

// Whether the second opinion is the better answer for an object: the first
// matte is unsure, the two disagree about the subject, and the second's subject is a
// clearly smaller part of what the first one weighed (the network took the
// subject together with something bigger behind or around it). When the
// second segmenter found something the first does not weigh at all, the
// first stays: then it is the second that is lost.
bool PreferSecondOpinion(const MatteComparison& comparison);

// Whether, on a plain backdrop, the second opinion is the better answer
// although the first is sure: the second subject takes in the whole first
// one (95 % of it) and more (from a tenth more up to three times its area:
// a network may lose half of a striped shirt, never the backdrop around it). A network may
// leave out parts of an object whose colour is near the backdrop's (stripes
// of a light colour, an edge faded towards the backdrop); a segmenter that
// separates by the backdrop's own colour keeps everything that differs
// from it.
bool PreferFullerOnBackdrop(const cv::Mat& first, const cv::Mat& second);

// The service's answer from the learned segmenter's `first` matte: the
// check of ChooseMatte; on a plain backdrop (PlainBorder) the second opinion
// is also asked, for objects and people, and taken when
// PreferFullerOnBackdrop says so; elsewhere an object answer that stays the
// network's gets its openings back (OpenEnclosedBackground). `second` is
// asked at most once.
cv::Mat CombineAnswers(const cv::Mat& photoBgr, const cv::Mat& first, Subject subject,
                       const std::function<cv::Mat()>& second);

// The answer of a learned segmenter's `first` matte, with `second` asked only
// when the first is unsure (the classical segmenter's work is spent only
// then). People keep the first matte: the face check already decides for them.
cv::Mat ChooseMatte(const cv::Mat& first, Subject subject, const std::function<cv::Mat()>& second);

}  // namespace quillora::service
