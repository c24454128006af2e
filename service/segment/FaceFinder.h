#pragma once

#include <opencv2/core/mat.hpp>
#include <opencv2/core/types.hpp>

#include <memory>
#include <mutex>
#include <optional>

namespace cv {
class CascadeClassifier;
}

namespace quillora::service {

// Finds frontal faces with a Haar cascade from Debian's opencv-data. The
// cascade is read once; finding is serialised because a cascade object must
// not be used by two threads at the same time.
class FaceFinder {
public:
    static FaceFinder& Shared();

    bool Available() const { return cascade_ != nullptr; }

    // The largest face at least `minShare` of the picture's shorter side wide,
    // in the picture's coordinates; nullopt when none or no cascade.
    std::optional<cv::Rect> LargestFace(const cv::Mat& bgr, double minShare = 0.06) const;

    ~FaceFinder();

private:
    FaceFinder();
    std::unique_ptr<cv::CascadeClassifier> cascade_;
    mutable std::mutex mutex_;
};

}  // namespace quillora::service
