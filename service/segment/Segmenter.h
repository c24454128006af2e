#pragma once

#include <opencv2/core/mat.hpp>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillora::service {

// What the photo shows: the program asks for an object (a product) or a
// person, which changes where the segmenter expects the subject to be.
enum class Subject { Object, Person };

// The name the learned segmenter goes by in a chain.
inline constexpr std::string_view kLearnedSegmenterName = "learned";

// Separates the subject of a photo from its background at a reduced size.
// The answer is a coarse matte, 8-bit, 255 for the subject and 0 for the
// background (values between are allowed), with the photo's aspect ratio at
// whatever size the segmenter works at; the edge refinement brings it to the
// photo's full size. An empty matte means the segmenter could not decide, so
// the next one in a SegmenterChain is asked.
class Segmenter {
public:
    virtual ~Segmenter() = default;
    virtual std::string_view Name() const = 0;
    virtual cv::Mat Segment(const cv::Mat& photoBgr, Subject subject) const = 0;
};

// Asks its segmenters in order and takes the first matte that is not empty:
// a learned model first when it is there, the classical one after it.
class SegmenterChain : public Segmenter {
public:
    void Add(std::unique_ptr<Segmenter> segmenter) { chain_.push_back(std::move(segmenter)); }
    bool Empty() const { return chain_.empty(); }
    // The segmenter of that name in the chain, or null.
    const Segmenter* Find(std::string_view name) const {
        for (const auto& segmenter : chain_) {
            if (segmenter->Name() == name) {
                return segmenter.get();
            }
        }
        return nullptr;
    }
    // The names in the order they are asked, separated by ", ".
    std::string Names() const {
        std::string names;
        for (const auto& segmenter : chain_) {
            names += (names.empty() ? "" : ", ") + std::string(segmenter->Name());
        }
        return names;
    }

    std::string_view Name() const override { return "chain"; }
    // The first answer, except that the learned segmenter's answer is put
    // together with the next segmenters' one as CombineAnswers does: an
    // unsure answer about an object gives way to a clearer subject inside
    // it, any answer on a plain backdrop to a fuller one, and openings that
    // show a busy background are cut out of an object.
    cv::Mat Segment(const cv::Mat& photoBgr, Subject subject) const override;

private:
    std::vector<std::unique_ptr<Segmenter>> chain_;
};

}  // namespace quillora::service
