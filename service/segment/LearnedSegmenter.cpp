#include "service/segment/LearnedSegmenter.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <system_error>

#include "service/segment/ClassicalSegmenter.h"
#include "service/segment/FaceFinder.h"

namespace quillora::service {
namespace {

// Smallest plausible model: a file shorter than this is certainly cut short.
constexpr std::uintmax_t kSmallestModel = 1024;
constexpr int kSmallestSide = 32;
// The network answers 0..1 per pixel. When even its highest value is below
// this it sees no subject anywhere, and stretching its answer to the full
// range would only turn noise into a cut-out.
constexpr double kLeastSubject = 0.05;

}  // namespace

cv::Mat MakeNetInput(const cv::Mat& photoBgr, int side) {
    if (photoBgr.empty() || photoBgr.type() != CV_8UC3 || side < 1) {
        return {};
    }
    // blobFromImage resizes bilinearly, swaps B and R, subtracts the mean
    // (given on the 0..255 scale) before scaling.
    return cv::dnn::blobFromImage(photoBgr, 1.0 / 255, cv::Size(side, side),
                                  cv::Scalar(127.5, 127.5, 127.5), true, false, CV_32F);
}

cv::Mat MatteFromNetOutput(const cv::Mat& output, cv::Size photoSize, int longSide) {
    if (output.empty() || output.depth() != CV_32F || photoSize.width < 1 || photoSize.height < 1 ||
        longSide < 1) {
        return {};
    }
    // The matte is the last two dimensions of the blob.
    int rows = output.rows;
    int cols = output.cols;
    if (output.dims > 2) {
        rows = output.size[output.dims - 2];
        cols = output.size[output.dims - 1];
    }
    if (rows < 1 || cols < 1 || static_cast<std::size_t>(rows) * cols != output.total()) {
        return {};
    }
    const cv::Mat dense = output.isContinuous() ? output : output.clone();
    const cv::Mat plane(rows, cols, CV_32F,
                        const_cast<void*>(static_cast<const void*>(dense.data)));
    if (cv::checkRange(plane, true) == false) {
        return {};
    }
    double lowest = 0;
    double highest = 0;
    cv::minMaxLoc(plane, &lowest, &highest);
    if (!(highest - lowest > 1e-6) || highest < kLeastSubject) {
        return {};
    }
    cv::Mat matte;
    plane.convertTo(matte, CV_8U, 255.0 / (highest - lowest), -lowest * 255.0 / (highest - lowest));
    const int photoLong = std::max(photoSize.width, photoSize.height);
    const double scale = std::min(1.0, double(longSide) / photoLong);
    const cv::Size target(std::max(1, static_cast<int>(std::lround(photoSize.width * scale))),
                          std::max(1, static_cast<int>(std::lround(photoSize.height * scale))));
    cv::Mat resized;
    cv::resize(matte, resized, target, 0, 0, cv::INTER_LINEAR);
    return resized;
}

bool MatteHoldsFace(const cv::Mat& matte, const cv::Rect& face) {
    const cv::Rect inside = face & cv::Rect(0, 0, matte.cols, matte.rows);
    if (matte.empty() || matte.type() != CV_8U || inside.area() <= 0) {
        return false;
    }
    return cv::countNonZero(matte(inside) >= 127) * 2 >= inside.area();
}

std::unique_ptr<LearnedSegmenter> LearnedSegmenter::Load(const std::filesystem::path& model,
                                                         std::string* problem, int side) {
    const auto fail = [problem](std::string text) {
        if (problem) {
            *problem = std::move(text);
        }
        return std::unique_ptr<LearnedSegmenter>();
    };
    if (side < kSmallestSide) {
        return fail("model input side too small");
    }
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(model, error);
    if (error) {
        return fail("no model at " + model.string());
    }
    if (size < kSmallestModel) {
        return fail("model file " + model.string() + " is cut short");
    }
    cv::dnn::Net net;
    try {
        net = cv::dnn::readNetFromONNX(model.string());
    } catch (const cv::Exception& exception) {
        return fail("model " + model.string() + " cannot be read: " + exception.err);
    } catch (const std::exception& exception) {
        return fail("model " + model.string() + " cannot be read: " + exception.what());
    }
    if (net.empty() || net.getUnconnectedOutLayers().empty()) {
        return fail("model " + model.string() + " holds no network");
    }
    net.setPreferableBackend(cv::dnn::DNN_BACKEND_OPENCV);
    net.setPreferableTarget(cv::dnn::DNN_TARGET_CPU);
    return std::unique_ptr<LearnedSegmenter>(new LearnedSegmenter(std::move(net), side));
}

cv::Mat LearnedSegmenter::Segment(const cv::Mat& photoBgr, Subject subject) const {
    if (!working_.load() || photoBgr.empty() || photoBgr.type() != CV_8UC3) {
        return {};
    }
    const cv::Mat input = MakeNetInput(photoBgr, side_);
    std::unique_lock lock(netInUse_, std::defer_lock);
    if (!lock.try_lock_for(waitLimit_)) {
        std::fprintf(stderr, "learned segmenter: busy for too long, the classical one answers\n");
        return {};
    }
    cv::Mat output;
    try {
        net_.setInput(input);
        output = net_.forward().clone();
    } catch (const cv::Exception& exception) {
        working_.store(false);
        std::fprintf(stderr, "learned segmenter: forward pass failed (%s); switched off\n",
                     exception.err.c_str());
        return {};
    }
    lock.unlock();
    cv::Mat matte = MatteFromNetOutput(output, photoBgr.size(), side_);
    if (subject == Subject::Person && !matte.empty()) {
        // Faces are looked for at the classical segmenter's working size:
        // large enough for a face that matters, and quick.
        const cv::Mat small = ReduceToSide(photoBgr, ClassicalSegmenter::kWorkingSide);
        const auto face = FaceFinder::Shared().LargestFace(small);
        const double toMatte = double(matte.cols) / small.cols;
        if (face &&
            !MatteHoldsFace(
                matte, cv::Rect(cvRound(face->x * toMatte), cvRound(face->y * toMatte),
                                cvRound(face->width * toMatte), cvRound(face->height * toMatte)))) {
            std::fprintf(stderr, "learned segmenter: the salient object leaves out the face\n");
            return {};
        }
    }
    return matte;
}

}  // namespace quillora::service
