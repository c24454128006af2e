#include "service/segment/MatteAgreement.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "service/segment/Openings.h"

namespace quillora::service {
namespace {

constexpr int kWeighted = 26;  // 10 % of 255
constexpr int kClear = 230;    // 90 %
constexpr int kSubject = 127;
// The two answers name different subjects when they share less than this.
constexpr double kDisagreement = 0.6;
// The second subject lies within what the first weighs.
constexpr double kContained = 0.8;
// And is clearly the smaller one, yet not a speck.
constexpr double kSmaller = 0.75;
constexpr double kSpeck = 0.03;
// On a backdrop: the second takes in the first whole and adds to it.
constexpr double kTakesInWhole = 0.95;
constexpr double kAddsToIt = 1.1;
constexpr double kAtMostThrice = 3.0;

}  // namespace

double MatteUnsureShare(const cv::Mat& matte) {
    if (matte.empty() || matte.type() != CV_8U) {
        return 0;
    }
    const int weighted = cv::countNonZero(matte >= kWeighted);
    if (weighted == 0) {
        return 0;
    }
    const int unsure = cv::countNonZero((matte >= kWeighted) & (matte < kClear));
    return double(unsure) / weighted;
}

bool WantsSecondOpinion(const cv::Mat& matte) {
    return MatteUnsureShare(matte) > kUnsureForSecondOpinion;
}

MatteComparison CompareMattes(const cv::Mat& first, const cv::Mat& second) {
    MatteComparison comparison;
    if (first.empty() || second.empty() || first.type() != CV_8U || second.type() != CV_8U) {
        return comparison;
    }
    comparison.firstUnsure = MatteUnsureShare(first);
    cv::Mat other = second;
    if (other.size() != first.size()) {
        cv::resize(second, other, first.size(), 0, 0, cv::INTER_LINEAR);
    }
    const cv::Mat a = first >= kSubject;
    const cv::Mat b = other >= kSubject;
    const int areaA = cv::countNonZero(a);
    const int areaB = cv::countNonZero(b);
    const int both = cv::countNonZero(a & b);
    const int either = cv::countNonZero(a | b);
    comparison.overlap = either > 0 ? double(both) / either : 1.0;
    comparison.secondInsideFirst =
        areaB > 0 ? double(cv::countNonZero(b & (first >= kWeighted))) / areaB : 0.0;
    comparison.firstInsideSecond = areaA > 0 ? double(both) / areaA : 0.0;
    comparison.areaRatio = areaA > 0 ? double(areaB) / areaA : 0.0;
    return comparison;
}

bool PreferSecondOpinion(const MatteComparison& comparison) {
    return comparison.firstUnsure > kUnsureForSecondOpinion && comparison.overlap < kDisagreement &&
           comparison.secondInsideFirst >= kContained && comparison.areaRatio >= kSpeck &&
           comparison.areaRatio < kSmaller;
}

cv::Mat ChooseMatte(const cv::Mat& first, Subject subject, const std::function<cv::Mat()>& second) {
    if (first.empty() || subject != Subject::Object || !second || !WantsSecondOpinion(first)) {
        return first;
    }
    cv::Mat other = second();
    if (other.empty() || !PreferSecondOpinion(CompareMattes(first, other))) {
        return first;
    }
    return other;
}

bool PreferFullerOnBackdrop(const cv::Mat& first, const cv::Mat& second) {
    const MatteComparison comparison = CompareMattes(first, second);
    return comparison.firstInsideSecond >= kTakesInWhole && comparison.areaRatio >= kAddsToIt &&
           comparison.areaRatio <= kAtMostThrice;
}

cv::Mat CombineAnswers(const cv::Mat& photoBgr, const cv::Mat& first, Subject subject,
                       const std::function<cv::Mat()>& second) {
    bool asked = false;
    cv::Mat secondAnswer;
    const auto once = [&]() -> cv::Mat {
        if (!asked && second) {
            secondAnswer = second();
        }
        asked = true;
        return secondAnswer;
    };
    const cv::Mat chosen = ChooseMatte(first, subject, once);
    if (first.empty() || chosen.data != first.data) {
        return chosen;
    }
    // On a backdrop, for objects and people alike (a striped shirt whose
    // light stripes are near the backdrop's colour).
    if (PlainBorder(photoBgr, first)) {
        const cv::Mat other = once();
        if (PreferFullerOnBackdrop(first, other)) {
            return other;
        }
        return first;
    }
    if (subject != Subject::Object) {
        return first;
    }
    // The network's object may have filled openings that show the
    // background; the other segmenters follow colours and keep them.
    return OpenEnclosedBackground(photoBgr, first);
}

}  // namespace quillora::service
