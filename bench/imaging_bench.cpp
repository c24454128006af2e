// The picture effects on a 4000 x 3000 RGBA picture, each beside OpenCV's
// nearest equivalent in the same run. Times are wall-clock (both sides use
// every core).
#include <benchmark/benchmark.h>

#include <QImage>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cstdint>
#include <cstring>

#include "canvas/imaging/Effects.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// A photo-like picture: smooth gradients, some noise, and a cut-out shape
// with a soft edge on a transparent surround.
const QImage& picture() {
    static const QImage image = [] {
        QImage made(kWidth, kHeight, QImage::Format_ARGB32);
        uint32_t state = 1;
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(made.scanLine(y));
            for (int x = 0; x < kWidth; ++x) {
                state = state * 1664525u + 1013904223u;
                const int dx = x - kWidth / 2;
                const int dy = y - kHeight / 2;
                const double d = std::sqrt(double(dx) * dx + double(dy) * dy);
                const int alpha = d < 1200 ? 255 : (d < 1300 ? int((1300 - d) * 2.55) : 0);
                const int noise = int(state >> 28);
                row[x] = qRgba((x / 16 + noise) & 0xFF, (y / 12 + noise) & 0xFF,
                               ((x + y) / 28) & 0xFF, alpha);
            }
        }
        return made;
    }();
    return image;
}

cv::Mat asMat(QImage& image) {
    return cv::Mat(image.height(), image.width(), CV_8UC4, image.bits(),
                   size_t(image.bytesPerLine()));
}

void BM_Blur(benchmark::State& state) {
    QImage image = picture().copy();
    const bool expand = state.range(1) != 0;
    for (auto _ : state) {
        quillora::imaging::gaussianBlur(image, float(state.range(0)), expand);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_Blur)
    ->ArgNames({"radius", "expand"})
    ->Args({20, 0})
    ->Args({20, 1})
    ->Args({6, 0})
    ->Args({100, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_OpenCvGaussianBlur(benchmark::State& state) {
    QImage image = picture().copy();
    QImage target = picture().copy();
    cv::Mat source = asMat(image);
    cv::Mat result = asMat(target);
    const double sigma = double(state.range(0)) / 2.0;
    for (auto _ : state) {
        cv::GaussianBlur(source, result, cv::Size(0, 0), sigma, sigma, cv::BORDER_REPLICATE);
        benchmark::DoNotOptimize(result.data);
    }
}
BENCHMARK(BM_OpenCvGaussianBlur)
    ->ArgName("radius")
    ->Arg(20)
    ->Arg(6)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

quillora::imaging::ColourMatrix greyFilter() {
    quillora::imaging::ColourMatrix m = quillora::imaging::identityMatrix();
    const float weights[3] = {0.3f, 0.59f, 0.11f};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            m[i * 5 + j] = weights[i];
        }
    }
    m[3 * 5 + 3] = 0.8f;
    return m;
}

void BM_ColourMatrix(benchmark::State& state) {
    QImage image = picture().copy();
    const quillora::imaging::ColourMatrix m = greyFilter();
    for (auto _ : state) {
        quillora::imaging::colourMatrix(image, m);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ColourMatrix)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenCvTransform(benchmark::State& state) {
    QImage image = picture().copy();
    QImage target = picture().copy();
    cv::Mat source = asMat(image);
    cv::Mat result = asMat(target);
    // The same matrix for memory order blue, green, red, alpha, with the
    // translation column (cv::transform takes output rows).
    const quillora::imaging::ColourMatrix m = greyFilter();
    const int index[4] = {2, 1, 0, 3};
    cv::Matx<float, 4, 5> rows;
    for (int out = 0; out < 4; ++out) {
        for (int in = 0; in < 4; ++in) {
            rows(out, in) = m[index[in] * 5 + index[out]];
        }
        rows(out, 4) = m[20 + index[out]] * 255.0f;
    }
    for (auto _ : state) {
        cv::transform(source, result, rows);
        benchmark::DoNotOptimize(result.data);
    }
}
BENCHMARK(BM_OpenCvTransform)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BrightnessContrast(benchmark::State& state) {
    QImage image = picture().copy();
    int sign = 1;
    for (auto _ : state) {
        quillora::imaging::brightnessContrast(image, 30 * sign, 20);
        sign = -sign;
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_BrightnessContrast)->Unit(benchmark::kMillisecond)->UseRealTime();

// OpenCV's per-channel scale and shift, the nearest match to brightness and
// contrast (it also changes alpha, which ours leaves alone).
void BM_OpenCvConvertScale(benchmark::State& state) {
    QImage image = picture().copy();
    QImage target = picture().copy();
    cv::Mat source = asMat(image);
    cv::Mat result = asMat(target);
    for (auto _ : state) {
        source.convertTo(result, -1, 1.25, -10.0);
        benchmark::DoNotOptimize(result.data);
    }
}
BENCHMARK(BM_OpenCvConvertScale)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HueSaturationLightness(benchmark::State& state) {
    QImage image = picture().copy();
    int sign = 1;
    for (auto _ : state) {
        quillora::imaging::hueSaturationLightness(image, int(state.range(0)) * sign, 30 * sign,
                                                  int(state.range(1)) * sign);
        sign = -sign;
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_HueSaturationLightness)
    ->ArgNames({"hue", "lightness"})
    ->Args({0, 0})
    ->Args({40, 10})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// OpenCV's way to change saturation: to HLS and back, alpha dropped.
void BM_OpenCvHlsRoundTrip(benchmark::State& state) {
    QImage image = picture().copy();
    cv::Mat source = asMat(image);
    cv::Mat bgr, hls, back;
    for (auto _ : state) {
        cv::cvtColor(source, bgr, cv::COLOR_BGRA2BGR);
        cv::cvtColor(bgr, hls, cv::COLOR_BGR2HLS);
        cv::cvtColor(hls, back, cv::COLOR_HLS2BGR);
        benchmark::DoNotOptimize(back.data);
    }
}
BENCHMARK(BM_OpenCvHlsRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
