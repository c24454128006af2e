#include "service/segment/FaceFinder.h"

#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include <algorithm>
#include <vector>

namespace quillora::service {
namespace {

const char* const kCascadeFiles[] = {
    "/usr/share/opencv4/haarcascades/haarcascade_frontalface_alt2.xml",
    "/usr/share/opencv4/haarcascades/haarcascade_frontalface_default.xml",
};

// Faces are looked for on a copy no larger than this; a face that fills a
// useful share of a portrait is still dozens of pixels wide there.
constexpr int kSearchSide = 640;

}  // namespace

FaceFinder& FaceFinder::Shared() {
    static FaceFinder finder;
    return finder;
}

FaceFinder::FaceFinder() {
    for (const char* file : kCascadeFiles) {
        auto cascade = std::make_unique<cv::CascadeClassifier>();
        try {
            if (cascade->load(file) && !cascade->empty()) {
                cascade_ = std::move(cascade);
                return;
            }
        } catch (const cv::Exception&) {
        }
    }
}

FaceFinder::~FaceFinder() = default;

std::optional<cv::Rect> FaceFinder::LargestFace(const cv::Mat& bgr, double minShare) const {
    if (!cascade_ || bgr.empty()) {
        return std::nullopt;
    }
    const double scale = std::min(1.0, double(kSearchSide) / std::max(bgr.cols, bgr.rows));
    cv::Mat gray;
    cv::cvtColor(bgr, gray, cv::COLOR_BGR2GRAY);
    if (scale < 1.0) {
        cv::resize(gray, gray, cv::Size(), scale, scale, cv::INTER_AREA);
    }
    cv::equalizeHist(gray, gray);
    const int minSide = std::max(12, static_cast<int>(std::min(gray.cols, gray.rows) * minShare));
    std::vector<cv::Rect> faces;
    try {
        std::lock_guard lock(mutex_);
        cascade_->detectMultiScale(gray, faces, 1.1, 4, 0, cv::Size(minSide, minSide));
    } catch (const cv::Exception&) {
        return std::nullopt;
    }
    if (faces.empty()) {
        return std::nullopt;
    }
    const cv::Rect largest =
        *std::max_element(faces.begin(), faces.end(),
                          [](const cv::Rect& a, const cv::Rect& b) { return a.area() < b.area(); });
    const cv::Rect found(cvRound(largest.x / scale), cvRound(largest.y / scale),
                         cvRound(largest.width / scale), cvRound(largest.height / scale));
    return found & cv::Rect(0, 0, bgr.cols, bgr.rows);
}

}  // namespace quillora::service
