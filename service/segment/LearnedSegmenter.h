#pragma once

#include <opencv2/core/mat.hpp>
#include <opencv2/dnn/dnn.hpp>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "service/segment/Segmenter.h"

namespace quillora::service {

// The network's input picture: the photo stretched to side x side
// (bilinear), RGB order, each channel scaled to 0..1 and less 0.5, as a
// 1 x 3 x side x side float blob.
cv::Mat MakeNetInput(const cv::Mat& photoBgr, int side);

// The network's answer (any float matte holding rows x cols values, e.g. a
// 1 x 1 x side x side blob) stretched so its lowest value is 0 and its
// highest 255, brought back to the photo's aspect ratio with its longest side
// at most `longSide` (and never larger than the photo). An answer with no
// spread (all values equal), with no value of at least 0.05 (nothing looks
// like a subject) or with a value that is not a number gives an empty matte:
// the network has not found anything to separate.
cv::Mat MatteFromNetOutput(const cv::Mat& output, cv::Size photoSize, int longSide);

// Whether a matte takes in most of a face (its box, in the matte's
// coordinates): at least half the box's pixels are subject (127 and above).
bool MatteHoldsFace(const cv::Mat& matte, const cv::Rect& face);

// Salient-object segmentation by a learned network (IS-Net, converted to
// float32 ONNX by tools/model/fetch-model.sh) run through OpenCV's DNN module.
//
// The network is loaded once and shared by every request; one forward pass
// runs at a time (a pass already uses every core, a second one would only
// double the memory). A request that cannot get the network within
// `waitLimit` gets an empty matte, so the next segmenter of the chain answers;
// so does every request after a forward pass failed. For a person, the
// network's salient object may be something else in the photo: when a face
// is found that its matte leaves out, the matte is dropped too, and the
// classical segmenter, which hangs the person from the face, answers.
class LearnedSegmenter : public Segmenter {
public:
    static constexpr int kDefaultSide = 1024;
    static constexpr std::chrono::seconds kDefaultWaitLimit{30};

    // Null with `problem` set when the file is missing, is not a network
    // OpenCV can read, or has not the expected single input.
    static std::unique_ptr<LearnedSegmenter> Load(const std::filesystem::path& model,
                                                  std::string* problem, int side = kDefaultSide);

    std::string_view Name() const override { return kLearnedSegmenterName; }
    cv::Mat Segment(const cv::Mat& photoBgr, Subject subject) const override;

    int Side() const { return side_; }
    void SetWaitLimit(std::chrono::milliseconds limit) { waitLimit_ = limit; }
    // False once a forward pass has failed; the segmenter then steps aside.
    bool Working() const { return working_.load(); }

private:
    LearnedSegmenter(cv::dnn::Net net, int side) : net_(std::move(net)), side_(side) {}

    mutable cv::dnn::Net net_;
    mutable std::timed_mutex netInUse_;
    mutable std::atomic<bool> working_{true};
    int side_;
    std::chrono::milliseconds waitLimit_{kDefaultWaitLimit};
};

}  // namespace quillora::service
