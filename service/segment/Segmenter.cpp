#include "service/segment/Segmenter.h"

#include "service/segment/MatteAgreement.h"
#include "service/segment/Openings.h"

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
        const cv::Mat chosen = ChooseMatte(matte, subject, [&]() -> cv::Mat {
            for (std::size_t j = i + 1; j < chain_.size(); ++j) {
                cv::Mat other = chain_[j]->Segment(photoBgr, subject);
                if (!other.empty()) {
                    return other;
                }
            }
            return {};
        });
        // The network's object may have filled openings that show the
        // background; the other segmenters follow colours and keep them.
        if (subject == Subject::Object && chosen.data == matte.data) {
            return OpenEnclosedBackground(photoBgr, chosen);
        }
        return chosen;
    }
    return {};
}

}  // namespace quillora::service
