#include "service/segment/ForegroundColour.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <vector>

namespace quillora::service {
namespace {

// How strongly the estimates are held to the neighbouring sure colours; the
// smaller, the more the compositing equation alone decides.
constexpr float kHold = 0.05f;

cv::Vec3f Sample(const cv::Mat& image, float x, float y) {
    const int x0 = static_cast<int>(x);
    const int y0 = static_cast<int>(y);
    const int x1 = std::min(x0 + 1, image.cols - 1);
    const int y1 = std::min(y0 + 1, image.rows - 1);
    const float wx = x - x0;
    const float wy = y - y0;
    const auto* top = image.ptr<cv::Vec3f>(y0);
    const auto* bottom = image.ptr<cv::Vec3f>(y1);
    return (top[x0] * (1 - wx) + top[x1] * wx) * (1 - wy) +
           (bottom[x0] * (1 - wx) + bottom[x1] * wx) * wy;
}

}  // namespace

cv::Mat FillFromKnown(const cv::Mat& bgr, const cv::Mat& known) {
    cv::Mat weight;
    cv::Mat(known != 0).convertTo(weight, CV_32F, 1.0 / 255);
    cv::Mat colour;
    bgr.convertTo(colour, CV_32FC3);
    cv::Mat weight3;
    cv::merge(std::vector<cv::Mat>{weight, weight, weight}, weight3);
    std::vector<cv::Mat> colours{colour.mul(weight3)};
    std::vector<cv::Mat> weights{weight};
    // Push: average colour and weight together down to a single pixel.
    while (colours.back().cols > 1 || colours.back().rows > 1) {
        const cv::Size next((colours.back().cols + 1) / 2, (colours.back().rows + 1) / 2);
        cv::Mat c;
        cv::Mat w;
        cv::resize(colours.back(), c, next, 0, 0, cv::INTER_AREA);
        cv::resize(weights.back(), w, next, 0, 0, cv::INTER_AREA);
        colours.push_back(c);
        weights.push_back(w);
    }
    // Pull: each level keeps what it knows and takes the rest from above.
    cv::Mat filled;
    for (int level = static_cast<int>(colours.size()) - 1; level >= 0; --level) {
        const cv::Mat& c = colours[level];
        const cv::Mat& w = weights[level];
        cv::Mat from;
        if (filled.empty()) {
            from = cv::Mat(c.size(), CV_32FC3, cv::Scalar::all(0));
        } else {
            cv::resize(filled, from, c.size(), 0, 0, cv::INTER_LINEAR);
        }
        cv::Mat next(c.size(), CV_32FC3);
        for (int y = 0; y < c.rows; ++y) {
            const auto* cs = c.ptr<cv::Vec3f>(y);
            const float* ws = w.ptr<float>(y);
            const auto* up = from.ptr<cv::Vec3f>(y);
            auto* out = next.ptr<cv::Vec3f>(y);
            for (int x = 0; x < c.cols; ++x) {
                const float t = std::min(1.f, ws[x] * 4);
                out[x] = ws[x] > 0 ? cs[x] / ws[x] * t + up[x] * (1 - t) : up[x];
            }
        }
        filled = next;
    }
    return filled;
}

cv::Mat ComposeCutOut(const cv::Mat& photoBgr, const cv::Mat& alpha, const cv::Mat& coarse) {
    cv::Mat guide;
    cv::resize(photoBgr, guide, coarse.size(), 0, 0, cv::INTER_AREA);
    const cv::Mat kernel = cv::getStructuringElement(cv::MORPH_RECT, {3, 3});
    cv::Mat sureSubject;
    cv::Mat sureBackground;
    cv::erode(coarse >= 250, sureSubject, kernel);
    cv::erode(coarse <= 5, sureBackground, kernel);
    const cv::Mat subjectColour = FillFromKnown(guide, sureSubject);
    const cv::Mat backgroundColour = FillFromKnown(guide, sureBackground);
    const double sx = double(coarse.cols) / photoBgr.cols;
    const double sy = double(coarse.rows) / photoBgr.rows;

    cv::Mat cutOut(photoBgr.size(), CV_8UC4);
    cv::parallel_for_(cv::Range(0, photoBgr.rows), [&](const cv::Range& rows) {
        for (int y = rows.start; y < rows.end; ++y) {
            const auto* in = photoBgr.ptr<cv::Vec3b>(y);
            const uchar* a = alpha.ptr<uchar>(y);
            auto* out = cutOut.ptr<cv::Vec4b>(y);
            const float fy = std::clamp(static_cast<float>((y + 0.5) * sy - 0.5), 0.f,
                                        static_cast<float>(coarse.rows - 1));
            for (int x = 0; x < photoBgr.cols; ++x) {
                if (a[x] == 255) {
                    out[x] = cv::Vec4b(in[x][0], in[x][1], in[x][2], 255);
                    continue;
                }
                if (a[x] == 0) {
                    out[x] = cv::Vec4b(0, 0, 0, 0);
                    continue;
                }
                const float fx = std::clamp(static_cast<float>((x + 0.5) * sx - 0.5), 0.f,
                                            static_cast<float>(coarse.cols - 1));
                const cv::Vec3f f0 = Sample(subjectColour, fx, fy);
                const cv::Vec3f b0 = Sample(backgroundColour, fx, fy);
                const float t = a[x] / 255.f;
                const float u = 1 - t;
                const float det = (t * t + kHold) * (u * u + kHold) - t * t * u * u;
                cv::Vec4b pixel(0, 0, 0, a[x]);
                for (int c = 0; c < 3; ++c) {
                    const float i = in[x][c];
                    const float f = ((t * i + kHold * f0[c]) * (u * u + kHold) -
                                     t * u * (u * i + kHold * b0[c])) /
                                    det;
                    pixel[c] = cv::saturate_cast<uchar>(f);
                }
                out[x] = pixel;
            }
        }
    });
    return cutOut;
}

}  // namespace quillora::service
