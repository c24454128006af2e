#include "service/segment/Saliency.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace quillora::service {
namespace {

constexpr int kClusters = 5;
constexpr int kMaxSamples = 4000;
// Spread floor in Lab units: sensor noise on a perfectly flat backdrop still
// moves colours by a few units.
constexpr float kSpreadFloor = 3.0f;
constexpr int kBarrierPasses = 3;
// Lab distance within which edge colours count as the same backdrop (light
// fall-off across a backdrop stays inside it).
constexpr double kSameBackdrop = 30.0;

int StripWidth(const cv::Mat& image) {
    return std::max(2, cvRound(std::min(image.cols, image.rows) * 0.02));
}

bool InStrip(int x, int y, int w, int h, int strip, const BackgroundSides& sides) {
    return (sides.top && y < strip) || (sides.bottom && y >= h - strip) ||
           (sides.left && x < strip) || (sides.right && x >= w - strip);
}

}  // namespace

cv::Mat ToLab(const cv::Mat& bgr) {
    cv::Mat lab;
    cv::cvtColor(bgr, lab, cv::COLOR_BGR2Lab);
    lab.convertTo(lab, CV_32FC3);
    return lab;
}

BorderColours LearnBorderColours(const cv::Mat& lab, const BackgroundSides& sides) {
    const int strip = StripWidth(lab);
    std::vector<cv::Vec3f> samples;
    for (int y = 0; y < lab.rows; ++y) {
        const auto* row = lab.ptr<cv::Vec3f>(y);
        for (int x = 0; x < lab.cols; ++x) {
            if (InStrip(x, y, lab.cols, lab.rows, strip, sides)) {
                samples.push_back(row[x]);
            }
        }
    }
    if (samples.size() > kMaxSamples) {
        // Evenly spaced picks keep every stretch of the edge represented.
        std::vector<cv::Vec3f> picked;
        const double step = double(samples.size()) / kMaxSamples;
        for (int i = 0; i < kMaxSamples; ++i) {
            picked.push_back(samples[static_cast<std::size_t>(i * step)]);
        }
        samples.swap(picked);
    }
    if (samples.size() == 1) {
        // k-means reads a single row as one-dimensional points.
        samples.push_back(samples.front());
    }
    BorderColours colours;
    const int k = std::min<int>(kClusters, static_cast<int>(samples.size()));
    if (k < 1) {
        return colours;
    }
    cv::Mat data(static_cast<int>(samples.size()), 3, CV_32F, samples.data());
    cv::Mat labels;
    // k-means starts from random picks: a fixed generator state makes the
    // same photo give the same cut-out every time.
    cv::theRNG().state = 0x5DEECE66DULL;
    cv::kmeans(data, k, labels,
               cv::TermCriteria(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, 10, 0.5), 2,
               cv::KMEANS_PP_CENTERS, colours.centres);
    colours.spreads = cv::Mat::zeros(k, 1, CV_32F);
    std::vector<int> counts(k, 0);
    double total = 0;
    for (int i = 0; i < data.rows; ++i) {
        const int c = labels.at<int>(i);
        const double d2 = cv::norm(data.row(i), colours.centres.row(c), cv::NORM_L2SQR);
        colours.spreads.at<float>(c) += static_cast<float>(d2);
        ++counts[c];
        total += d2;
    }
    for (int c = 0; c < k; ++c) {
        const float mean = counts[c] ? colours.spreads.at<float>(c) / counts[c] : 0.f;
        colours.spreads.at<float>(c) = std::max(kSpreadFloor, std::sqrt(mean));
    }
    colours.typicalSpread = std::sqrt(total / std::max(1, data.rows));
    const int largest =
        static_cast<int>(std::max_element(counts.begin(), counts.end()) - counts.begin());
    int near = 0;
    for (int i = 0; i < data.rows; ++i) {
        near += cv::norm(data.row(i), colours.centres.row(largest)) < kSameBackdrop ? 1 : 0;
    }
    colours.mainShare = double(near) / std::max(1, data.rows);
    return colours;
}

cv::Mat DistanceFromBorderColours(const cv::Mat& lab, const BorderColours& colours) {
    cv::Mat distance(lab.size(), CV_32F, cv::Scalar(0));
    const int k = colours.centres.rows;
    if (k == 0) {
        return distance;
    }
    std::vector<cv::Vec3f> centres(k);
    std::vector<float> inverseSpread(k);
    for (int c = 0; c < k; ++c) {
        centres[c] = colours.centres.at<cv::Vec3f>(c);
        inverseSpread[c] = 1.f / colours.spreads.at<float>(c);
    }
    cv::parallel_for_(cv::Range(0, lab.rows), [&](const cv::Range& rows) {
        for (int y = rows.start; y < rows.end; ++y) {
            const auto* in = lab.ptr<cv::Vec3f>(y);
            auto* out = distance.ptr<float>(y);
            for (int x = 0; x < lab.cols; ++x) {
                float best = std::numeric_limits<float>::max();
                for (int c = 0; c < k; ++c) {
                    const cv::Vec3f d = in[x] - centres[c];
                    best = std::min(best, std::sqrt(d.dot(d)) * inverseSpread[c]);
                }
                out[x] = best;
            }
        }
    });
    return distance;
}

cv::Mat BarrierDistance(const cv::Mat& lab, const BackgroundSides& sides) {
    const int w = lab.cols;
    const int h = lab.rows;
    cv::Mat total(lab.size(), CV_32F, cv::Scalar(0));
    std::vector<cv::Mat> channels;
    cv::split(lab, channels);
    std::vector<float> distance(static_cast<std::size_t>(w) * h);
    std::vector<float> high(distance.size());
    std::vector<float> low(distance.size());
    for (const cv::Mat& channel : channels) {
        const cv::Mat image = channel.isContinuous() ? channel : channel.clone();
        const float* value = image.ptr<float>();
        // Start points: the chosen sides' outermost pixels, at distance 0.
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * w + x;
                distance[i] =
                    InStrip(x, y, w, h, 1, sides) ? 0.f : std::numeric_limits<float>::max();
                high[i] = low[i] = value[i];
            }
        }
        const auto relax = [&](std::size_t i, std::size_t from) {
            const float u = std::max(high[from], value[i]);
            const float l = std::min(low[from], value[i]);
            if (u - l < distance[i]) {
                distance[i] = u - l;
                high[i] = u;
                low[i] = l;
            }
        };
        // Alternating raster scans relax each pixel from its scanned
        // neighbours; three rounds come close to the exact distance.
        for (int pass = 0; pass < kBarrierPasses; ++pass) {
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const std::size_t i = static_cast<std::size_t>(y) * w + x;
                    if (x > 0) {
                        relax(i, i - 1);
                    }
                    if (y > 0) {
                        relax(i, i - w);
                    }
                }
            }
            for (int y = h - 1; y >= 0; --y) {
                for (int x = w - 1; x >= 0; --x) {
                    const std::size_t i = static_cast<std::size_t>(y) * w + x;
                    if (x + 1 < w) {
                        relax(i, i + 1);
                    }
                    if (y + 1 < h) {
                        relax(i, i + w);
                    }
                }
            }
        }
        for (int y = 0; y < h; ++y) {
            float* out = total.ptr<float>(y);
            for (int x = 0; x < w; ++x) {
                out[x] += distance[static_cast<std::size_t>(y) * w + x];
            }
        }
    }
    return total;
}

}  // namespace quillora::service
