#include "service/segment/Segmenter.h"

#include "service/segment/MatteAgreement.h"

namespace quillora::service {

cv::Mat SegmenterChain::Segment(const cv::Mat& photoBgr, Subject subject) const {
    for (std::size_t i = 0; i < chain_.size(); ++i) {
        cv::Mat matte = chain_[i]->Segment(photoBgr, subject);
        if (matte.empty()) {
            continue;
        }
        if (chain_[i]->Name() != kLearnedSegmenterName) {
            return matte;
        }
        return CombineAnswers(photoBgr, matte, subject, [&]() -> cv::Mat {
            for (std::size_t j = i + 1; j < chain_.size(); ++j) {
                cv::Mat other = chain_[j]->Segment(photoBgr, subject);
                if (!other.empty()) {
                    return other;
                }
            }
            return {};
        });
    }
    return {};
}

}  // namespace quillora::service
