#include "service/segment/CutScore.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

#include "service/segment/ColourHistogram.h"

namespace quillora::service {
namespace {

// Share of the outline that lies on the picture's edges that should show
// background.
double EdgeContact(const cv::Mat& cut, bool bottomIsOpen) {
    const int w = cut.cols;
    const int h = cut.rows;
    double contact = cv::countNonZero(cut.row(0)) + cv::countNonZero(cut.col(0)) +
                     cv::countNonZero(cut.col(w - 1));
    double length = w + 2.0 * h;
    if (!bottomIsOpen) {
        contact += cv::countNonZero(cut.row(h - 1));
        length += w;
    }
    return contact / length;
}

}  // namespace

double ScoreCut(const cv::Mat& bgr, const cv::Mat& cut, bool bottomIsOpen) {
    const double share = double(cv::countNonZero(cut)) / cut.total();
    if (share <= 0.005 || share >= 0.9) {
        return 0;
    }
    const int reach = std::max(2, cvRound(std::min(cut.cols, cut.rows) * 0.02));
    const cv::Mat kernel =
        cv::getStructuringElement(cv::MORPH_ELLIPSE, {2 * reach + 1, 2 * reach + 1});
    cv::Mat grown;
    cv::Mat shrunk;
    cv::dilate(cut, grown, kernel);
    cv::erode(cut, shrunk, kernel);
    const cv::Mat insideRing = cut & ~shrunk;
    const cv::Mat outsideRing = grown & ~cut;
    if (cv::countNonZero(insideRing) == 0 || cv::countNonZero(outsideRing) == 0) {
        return 0;
    }
    // Colour difference across the outline: 1 minus the histograms' overlap.
    const double overlap = cv::compareHist(
        ColourHistogram(bgr, insideRing), ColourHistogram(bgr, outsideRing), cv::HISTCMP_INTERSECT);
    const double separation = 1.0 - overlap;

    // Edge strength along the outline against the photo's typical edge.
    cv::Mat gray;
    cv::cvtColor(bgr, gray, cv::COLOR_BGR2GRAY);
    cv::Mat dx;
    cv::Mat dy;
    cv::Sobel(gray, dx, CV_32F, 1, 0);
    cv::Sobel(gray, dy, CV_32F, 0, 1);
    cv::Mat magnitude;
    cv::magnitude(dx, dy, magnitude);
    cv::Mat outline;
    cv::morphologyEx(cut, outline, cv::MORPH_GRADIENT, cv::Mat());
    const double along = cv::mean(magnitude, outline)[0];
    const double typical = cv::mean(magnitude)[0] + 1.0;
    const double edge = std::min(3.0, along / typical) / 3.0;

    const double contact = EdgeContact(cut, bottomIsOpen);
    return (0.5 * separation + 0.5 * edge) * std::pow(1.0 - contact, 2.0);
}

}  // namespace quillora::service
