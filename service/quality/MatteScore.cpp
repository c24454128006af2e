#include "service/quality/MatteScore.h"

#include <opencv2/core.hpp>

namespace quillora::service {

MatteScore ScoreMatte(const cv::Mat& alpha, const cv::Mat& truth) {
    MatteScore score;
    if (alpha.empty() || alpha.size() != truth.size() || alpha.type() != CV_8U ||
        truth.type() != CV_8U) {
        return score;
    }
    const cv::Mat a = alpha > 127;
    const cv::Mat t = truth > 127;
    const double overlap = cv::countNonZero(a & t);
    const double either = cv::countNonZero(a | t);
    // Both empty: the answer agrees with the truth completely.
    score.iou = either > 0 ? overlap / either : 1.0;
    score.meanError = cv::norm(alpha, truth, cv::NORM_L1) / (255.0 * alpha.total());
    return score;
}

}  // namespace quillora::service
