#include "service/segment/EdgeRefiner.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillora::service {
namespace {

// Window radius at the coarse size and the regulariser (colour 0..1): a small
// regulariser lets the coverage follow faint colour steps.
constexpr int kRadius = 2;
constexpr double kEps = 1e-3;

cv::Mat Box(const cv::Mat& image, int radius) {
    cv::Mat out;
    cv::boxFilter(image, out, CV_32F, cv::Size(2 * radius + 1, 2 * radius + 1), cv::Point(-1, -1),
                  true, cv::BORDER_REFLECT);
    return out;
}

// Coverage is decided by the guided filter only near the outline; this marks
// the coarse pixels whose window reaches across it, and unsure pixels.
cv::Mat OutlineBand(const cv::Mat& coarse, int radius) {
    const cv::Mat inside = coarse > 127;
    const cv::Mat kernel =
        cv::getStructuringElement(cv::MORPH_RECT, {2 * radius + 3, 2 * radius + 3});
    cv::Mat grown;
    cv::Mat shrunk;
    cv::dilate(inside, grown, kernel);
    cv::erode(inside, shrunk, kernel);
    cv::Mat unsure = (coarse > 8) & (coarse < 247);
    cv::dilate(unsure, unsure, kernel);
    return (grown & ~shrunk) | unsure;
}

struct Axis {
    std::vector<int> first;
    std::vector<int> second;
    std::vector<float> weight;  // of the second sample
};

// Bilinear sample positions for pixel centres of `full` taken from `coarse`.
Axis MakeAxis(int full, int coarse) {
    Axis axis;
    axis.first.resize(full);
    axis.second.resize(full);
    axis.weight.resize(full);
    const double scale = double(coarse) / full;
    for (int i = 0; i < full; ++i) {
        const double position = std::clamp((i + 0.5) * scale - 0.5, 0.0, coarse - 1.0);
        const int lower = static_cast<int>(position);
        axis.first[i] = lower;
        axis.second[i] = std::min(lower + 1, coarse - 1);
        axis.weight[i] = static_cast<float>(position - lower);
    }
    return axis;
}

}  // namespace

cv::Mat GuidedCoefficients(const cv::Mat& guideBgr, const cv::Mat& coarse, int radius, double eps) {
    cv::Mat guide;
    guideBgr.convertTo(guide, CV_32FC3, 1.0 / 255);
    cv::Mat p;
    coarse.convertTo(p, CV_32F, 1.0 / 255);
    std::vector<cv::Mat> g;
    cv::split(guide, g);
    const cv::Mat meanP = Box(p, radius);
    cv::Mat meanG[3];
    cv::Mat covGP[3];
    for (int c = 0; c < 3; ++c) {
        meanG[c] = Box(g[c], radius);
        covGP[c] = Box(g[c].mul(p), radius) - meanG[c].mul(meanP);
    }
    cv::Mat var[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int j = i; j < 3; ++j) {
            var[i][j] = Box(g[i].mul(g[j]), radius) - meanG[i].mul(meanG[j]);
        }
    }
    cv::Mat coefficients(coarse.size(), CV_32FC4);
    cv::parallel_for_(cv::Range(0, coarse.rows), [&](const cv::Range& rows) {
        for (int y = rows.start; y < rows.end; ++y) {
            auto* out = coefficients.ptr<cv::Vec4f>(y);
            for (int x = 0; x < coarse.cols; ++x) {
                const cv::Matx33d sigma(var[0][0].at<float>(y, x) + eps, var[0][1].at<float>(y, x),
                                        var[0][2].at<float>(y, x), var[0][1].at<float>(y, x),
                                        var[1][1].at<float>(y, x) + eps, var[1][2].at<float>(y, x),
                                        var[0][2].at<float>(y, x), var[1][2].at<float>(y, x),
                                        var[2][2].at<float>(y, x) + eps);
                const cv::Vec3d cov(covGP[0].at<float>(y, x), covGP[1].at<float>(y, x),
                                    covGP[2].at<float>(y, x));
                const cv::Vec3d a = sigma.solve(cov, cv::DECOMP_CHOLESKY);
                const double b = meanP.at<float>(y, x) - a[0] * meanG[0].at<float>(y, x) -
                                 a[1] * meanG[1].at<float>(y, x) - a[2] * meanG[2].at<float>(y, x);
                out[x] = cv::Vec4f(static_cast<float>(a[0]), static_cast<float>(a[1]),
                                   static_cast<float>(a[2]), static_cast<float>(b));
            }
        }
    });
    return Box(coefficients, radius);
}

cv::Mat RefineMatteToFullSize(const cv::Mat& photoBgr, const cv::Mat& coarse, bool soft) {
    if (photoBgr.empty() || coarse.empty() || coarse.type() != CV_8U) {
        return {};
    }
    cv::Mat guide;
    cv::resize(photoBgr, guide, coarse.size(), 0, 0, cv::INTER_AREA);
    cv::Mat coefficients = GuidedCoefficients(guide, coarse, kRadius, kEps);
    // Away from the outline: no colour dependence, the coarse value itself.
    const cv::Mat band = OutlineBand(coarse, kRadius);
    for (int y = 0; y < coarse.rows; ++y) {
        auto* row = coefficients.ptr<cv::Vec4f>(y);
        const uchar* inBand = band.ptr<uchar>(y);
        const uchar* value = coarse.ptr<uchar>(y);
        for (int x = 0; x < coarse.cols; ++x) {
            if (!inBand[x]) {
                row[x] = cv::Vec4f(0, 0, 0, value[x] > 127 ? 1.f : 0.f);
            }
        }
    }
    const Axis columns = MakeAxis(photoBgr.cols, coarse.cols);
    const Axis rows = MakeAxis(photoBgr.rows, coarse.rows);
    cv::Mat alpha(photoBgr.size(), CV_8U);
    cv::parallel_for_(cv::Range(0, photoBgr.rows), [&](const cv::Range& range) {
        for (int y = range.start; y < range.end; ++y) {
            const auto* top = coefficients.ptr<cv::Vec4f>(rows.first[y]);
            const auto* bottom = coefficients.ptr<cv::Vec4f>(rows.second[y]);
            const float wy = rows.weight[y];
            const auto* colour = photoBgr.ptr<cv::Vec3b>(y);
            uchar* out = alpha.ptr<uchar>(y);
            for (int x = 0; x < photoBgr.cols; ++x) {
                const int x0 = columns.first[x];
                const int x1 = columns.second[x];
                const float wx = columns.weight[x];
                const cv::Vec4f upper = top[x0] * (1 - wx) + top[x1] * wx;
                const cv::Vec4f lower = bottom[x0] * (1 - wx) + bottom[x1] * wx;
                const cv::Vec4f k = upper * (1 - wy) + lower * wy;
                const float q = (k[0] * colour[x][0] + k[1] * colour[x][1] + k[2] * colour[x][2]) *
                                    (1.f / 255) +
                                k[3];
                out[x] = soft ? cv::saturate_cast<uchar>(q * 255.f) : (q >= 0.5f ? 255 : 0);
            }
        }
    });
    return alpha;
}

}  // namespace quillora::service
