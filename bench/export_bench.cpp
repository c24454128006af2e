// Saving a 4000 x 3000 cut-out: the composition (shadow blur 20, border,
// filter preset 3, colour background, identity-photo crop) beside the PNG
// encoding of the same picture, and the PNG writer beside Qt's (libpng's
// default settings) and OpenCV's cv::imwrite in the same run. "Time" is
// wall-clock, "CPU" the whole process's processor time (every thread), which
// stays meaningful when other work shares the machine; the "bytes" counter
// is the file size.
//
// The cut-out is made up: a photo-like picture (smooth shapes at every
// scale, sensor noise, saved once as a JPEG at quality 92 the way cameras
// do) inside a head-and-shoulders outline with a soft edge. Set
// QUILLORA_BENCH_PHOTO to a picture file to use its pixels instead.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "canvas/document/CanvasDocument.h"
#include "canvas/effects/EffectLayers.h"
#include "canvas/imaging/Imaging.h"
#include "canvas/layout/BackgroundAndSize.h"
#include "canvas/layout/ExportRender.h"
#include "canvas/png/PngFile.h"

namespace {

using namespace quillora;
using namespace quillora::canvas;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
// 4000 x 3000 in 1040 x 780 shows at 0.26.
constexpr int kClientWidth = 1040;
constexpr int kClientHeight = 780;
constexpr int kIdPreset = 11;

// Smoothly interpolated random values on a grid of cell pixels.
void AddValueNoise(std::vector<float>& field, int w, int h, int cell, float amplitude,
                   std::mt19937& random) {
    const int gw = w / cell + 2;
    const int gh = h / cell + 2;
    std::normal_distribution<float> normal(0.0f, 1.0f);
    std::vector<float> grid(std::size_t(gw) * gh);
    for (float& g : grid) {
        g = normal(random);
    }
    for (int y = 0; y < h; ++y) {
        const float fy = float(y) / cell;
        const int iy = int(fy);
        float ty = fy - iy;
        ty = ty * ty * (3 - 2 * ty);
        for (int x = 0; x < w; ++x) {
            const float fx = float(x) / cell;
            const int ix = int(fx);
            float tx = fx - ix;
            tx = tx * tx * (3 - 2 * tx);
            const float* g0 = &grid[std::size_t(iy) * gw + ix];
            const float* g1 = g0 + gw;
            const float top = g0[0] + (g0[1] - g0[0]) * tx;
            const float bottom = g1[0] + (g1[1] - g1[0]) * tx;
            field[std::size_t(y) * w + x] += amplitude * (top + (bottom - top) * ty);
        }
    }
}

QImage MadeUpPhoto(const QString& folder) {
    std::mt19937 random(7);
    std::vector<float> light(std::size_t(kWidth) * kHeight, 0.0f);
    std::vector<float> tint(light.size(), 0.0f);
    for (int cell = 512; cell >= 2; cell /= 2) {
        const float amplitude = 40.0f * std::pow(cell / 512.0f, 0.55f);
        AddValueNoise(light, kWidth, kHeight, cell, amplitude, random);
        if (cell >= 32) {
            AddValueNoise(tint, kWidth, kHeight, cell, amplitude * 0.6f, random);
        }
    }
    std::normal_distribution<float> sensor(0.0f, 1.5f);
    QImage photo(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const std::size_t i = std::size_t(y) * kWidth + x;
            const auto level = [&](float base) {
                return std::clamp(int(base + sensor(random)), 0, 255);
            };
            row[x] = qRgb(level(130 + light[i] + tint[i]), level(110 + light[i]),
                          level(95 + 0.8f * light[i] - tint[i]));
        }
    }
    const QString jpeg = folder + "/photo.jpg";
    photo.save(jpeg, "JPG", 92);
    return QImage(jpeg);
}

// Opaque inside a head and shoulders, a 3-pixel soft edge, transparent
// (and black) outside.
QImage CutOutOf(const QImage& photo) {
    QImage cut = photo.convertToFormat(QImage::Format_ARGB32);
    const double w = cut.width(), h = cut.height();
    for (int y = 0; y < cut.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(cut.scanLine(y));
        for (int x = 0; x < cut.width(); ++x) {
            const double hx = (x - 0.5 * w) / (0.11 * w), hy = (y - 0.3 * h) / (0.19 * h);
            const double bx = (x - 0.5 * w) / (0.33 * w), by = (y - h) / (0.5 * h);
            const double inside = std::max(1.0 - std::hypot(hx, hy), 1.0 - std::hypot(bx, by));
            const int alpha = std::clamp(int(128 + inside * 0.11 * w * 85), 0, 255);
            row[x] = alpha == 0 ? 0u : (row[x] & 0x00FFFFFFu) | (QRgb(alpha) << 24);
        }
    }
    return cut;
}

// The document of the benchmark, set up once: the cut-out page values the
// issue names, in the change-size page with the identity crop applied.
struct Scene {
    QTemporaryDir folder;
    CanvasDocument doc;
    std::unique_ptr<EffectLayers> effects;
    std::unique_ptr<BackgroundAndSize> layout;
    QImage composedWhole;  // the saved picture without the crop
    QImage cutOut;         // the cut-out itself, transparent around the subject

    Scene() {
        const char* given = std::getenv("QUILLORA_BENCH_PHOTO");
        QImage photo = given != nullptr ? imaging::decodeFile(QString::fromLocal8Bit(given))
                                        : MadeUpPhoto(folder.path());
        if (photo.size() != QSize(kWidth, kHeight)) {
            photo = photo.scaled(kWidth, kHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        const QString photoPath = folder.filePath("photo.png");
        const QString cutOutPath = folder.filePath("cutout.png");
        png::WritePngFile(photo, photoPath);
        cutOut = CutOutOf(photo);
        png::WritePngFile(cutOut, cutOutPath);
        doc.Resize(kClientWidth, kClientHeight);
        doc.LoadSource(photoPath, 0.0f, true);
        doc.LoadResult(cutOutPath);
        effects = std::make_unique<EffectLayers>(doc);
        layout = std::make_unique<BackgroundAndSize>(doc);
        effects->SetShadowBlur(20);
        effects->SetShadowColour(0x00303030u, false);
        effects->SetBorderColour(0x00FFFFFFu, false);
        effects->SetFilterPreset(3);
        layout->SetBackgroundColour(0x00E0A040u, false);
        ShowWhole();
        RenderExportPicture(doc, composedWhole);
    }

    void ShowWhole() { doc.SetMode(EditMode::ChangeBackground); }
    void ShowIdCrop() {
        doc.SetMode(EditMode::ChangeSize);
        layout->SetSizePreset(kIdPreset);
        layout->ApplyCrop();
    }
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

std::int64_t FileSize(const QString& path) {
    return QFileInfo(path).size();
}

void Report(benchmark::State& state, std::int64_t bytes) {
    state.counters["bytes"] = benchmark::Counter(double(bytes));
}

// Composition alone: the picture a save writes, up to the encoder.
void BM_ComposeIdPhoto(benchmark::State& state) {
    Scene& s = TheScene();
    s.ShowIdCrop();
    QImage picture;
    for (auto _ : state) {
        RenderExportPicture(s.doc, picture);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_ComposeIdPhoto)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_ComposeWhole(benchmark::State& state) {
    Scene& s = TheScene();
    s.ShowWhole();
    QImage picture;
    for (auto _ : state) {
        RenderExportPicture(s.doc, picture);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_ComposeWhole)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The whole save: composition, encoding and the file.
void BM_SaveIdPhoto(benchmark::State& state) {
    Scene& s = TheScene();
    s.ShowIdCrop();
    const QString path = s.folder.filePath("id.png");
    for (auto _ : state) {
        benchmark::DoNotOptimize(RenderOutput(s.doc, path));
    }
    Report(state, FileSize(path));
}
BENCHMARK(BM_SaveIdPhoto)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_SaveWhole(benchmark::State& state) {
    Scene& s = TheScene();
    s.ShowWhole();
    const QString path = s.folder.filePath("whole.png");
    for (auto _ : state) {
        benchmark::DoNotOptimize(RenderOutput(s.doc, path));
    }
    Report(state, FileSize(path));
}
BENCHMARK(BM_SaveWhole)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The same save through Qt's writer, as before the fast writer.
void BM_SaveWholeThroughQt(benchmark::State& state) {
    Scene& s = TheScene();
    s.ShowWhole();
    const QString path = s.folder.filePath("whole-qt.png");
    QImage picture;
    for (auto _ : state) {
        RenderExportPicture(s.doc, picture);
        benchmark::DoNotOptimize(imaging::savePng(picture, path));
    }
    Report(state, FileSize(path));
}
BENCHMARK(BM_SaveWholeThroughQt)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(2);

// Encoding alone, of the composed 4000 x 3000 picture.
void BM_EncodeOurs(benchmark::State& state) {
    const QImage& picture = TheScene().composedWhole;
    QByteArray png;
    for (auto _ : state) {
        png = png::EncodePng(picture);
        benchmark::DoNotOptimize(png.constData());
    }
    Report(state, png.size());
}
BENCHMARK(BM_EncodeOurs)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_WriteFileOurs(benchmark::State& state) {
    Scene& s = TheScene();
    const QString path = s.folder.filePath("ours.png");
    for (auto _ : state) {
        benchmark::DoNotOptimize(png::WritePngFile(s.composedWhole, path));
    }
    Report(state, FileSize(path));
}
BENCHMARK(BM_WriteFileOurs)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The cut-out saved without a background (transparency kept, RGBA): the
// same three writers.
void BM_EncodeOursCutOut(benchmark::State& state) {
    const QImage& picture = TheScene().cutOut;
    QByteArray png;
    for (auto _ : state) {
        png = png::EncodePng(picture);
        benchmark::DoNotOptimize(png.constData());
    }
    Report(state, png.size());
}
BENCHMARK(BM_EncodeOursCutOut)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void WriteWithOpenCv(benchmark::State& state, const QImage& source, const QString& name) {
    QImage picture = source.copy();
    const cv::Mat bgra(picture.height(), picture.width(), CV_8UC4, picture.bits(),
                       std::size_t(picture.bytesPerLine()));
    const std::string path = TheScene().folder.filePath(name).toStdString();
    for (auto _ : state) {
        benchmark::DoNotOptimize(cv::imwrite(path, bgra));
    }
    Report(state, FileSize(QString::fromStdString(path)));
}

void BM_WriteFileOpenCvCutOut(benchmark::State& state) {
    WriteWithOpenCv(state, TheScene().cutOut, "opencv-cutout.png");
}
BENCHMARK(BM_WriteFileOpenCvCutOut)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void EncodeWithQt(benchmark::State& state, const QImage& picture) {
    QByteArray png;
    for (auto _ : state) {
        png.clear();
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        benchmark::DoNotOptimize(writer.write(picture));
    }
    Report(state, png.size());
}

void BM_EncodeQtCutOut(benchmark::State& state) {
    EncodeWithQt(state, TheScene().cutOut);
}
BENCHMARK(BM_EncodeQtCutOut)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(1);

void BM_WriteFileOpenCv(benchmark::State& state) {
    Scene& s = TheScene();
    QImage picture = s.composedWhole.copy();
    const cv::Mat bgra(picture.height(), picture.width(), CV_8UC4, picture.bits(),
                       std::size_t(picture.bytesPerLine()));
    const std::string path = s.folder.filePath("opencv.png").toStdString();
    for (auto _ : state) {
        benchmark::DoNotOptimize(cv::imwrite(path, bgra));
    }
    Report(state, FileSize(QString::fromStdString(path)));
}
BENCHMARK(BM_WriteFileOpenCv)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_EncodeQt(benchmark::State& state) {
    EncodeWithQt(state, TheScene().composedWhole);
}
BENCHMARK(BM_EncodeQt)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
