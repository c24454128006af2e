// The canvas work that follows the user's hand on a 4000 x 3000 photo shown
// at fit scale in a 1040 x 780 view: the cut-out page's source view with the
// tint overlay and 200 strokes (every mouse move), the shadow pipeline and
// the filter chain at view size (every slider step), and the full-size
// stroke replay (every page switch). CPU is the time of every thread of the
// process together: on a busy machine the wall-clock time says little, and
// on an idle one it is at most that.
#include <benchmark/benchmark.h>

#include <QImage>

#include <cmath>
#include <cstdint>
#include <optional>
#include <random>

#include "canvas/document/Geometry.h"
#include "canvas/effects/BrushHistory.h"
#include "canvas/effects/FilterChain.h"
#include "canvas/effects/ParameterRules.h"
#include "canvas/effects/ShadowBorder.h"
#include "canvas/effects/Silhouette.h"
#include "canvas/effects/StrokeReplayer.h"
#include "canvas/effects/TintOverlay.h"
#include "canvas/imaging/Imaging.h"

namespace {

using namespace quillora::canvas;
namespace imaging = quillora::imaging;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr float kFitScale = 0.26f;  // 4000 x 3000 in 1040 x 780
constexpr int kViewWidth = 1040;
constexpr int kViewHeight = 780;
constexpr int kStrokeCount = 200;

// A photo-like picture: gradients with noise.
const QImage& Photo() {
    static const QImage image = [] {
        QImage made(kWidth, kHeight, QImage::Format_ARGB32);
        std::uint32_t state = 1;
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(made.scanLine(y));
            for (int x = 0; x < kWidth; ++x) {
                state = state * 1664525u + 1013904223u;
                const int noise = static_cast<int>(state >> 28);
                row[x] = qRgba((x / 16 + noise) & 0xFF, (y / 12 + noise) & 0xFF,
                               ((x + y) / 28) & 0xFF, 255);
            }
        }
        return made;
    }();
    return image;
}

// The service's cut-out: the photo inside an ellipse with a soft rim.
const QImage& CutOut() {
    static const QImage image = [] {
        QImage made = Photo().copy();
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(made.scanLine(y));
            for (int x = 0; x < kWidth; ++x) {
                const double dx = (x - kWidth / 2) / 1500.0;
                const double dy = (y - kHeight / 2) / 1200.0;
                const double d = std::sqrt(dx * dx + dy * dy);
                const int alpha = d < 0.95 ? 255 : (d < 1.0 ? int((1.0 - d) * 5100) : 0);
                row[x] = (row[x] & 0x00FFFFFFu) | (static_cast<std::uint32_t>(alpha) << 24);
            }
        }
        return made;
    }();
    return image;
}

// 200 records in 20 drags across the picture, as a hand makes them: each
// move of more than 5 view pixels is a segment of 20 to 80 image pixels.
BrushHistory Strokes(int softness) {
    BrushHistory history;
    std::mt19937 rng(42);
    std::uniform_real_distribution<float> startX(200.0f, kWidth - 200.0f);
    std::uniform_real_distribution<float> startY(200.0f, kHeight - 200.0f);
    std::uniform_real_distribution<float> turn(-0.6f, 0.6f);
    std::uniform_real_distribution<float> step(20.0f, 80.0f);
    std::uniform_int_distribution<int> size(20, 100);
    for (int group = 0; group < kStrokeCount / 10; ++group) {
        float x = startX(rng);
        float y = startY(rng);
        float heading = turn(rng) * 5.0f;
        const int brush = size(rng);
        const std::uint8_t kind = group % 3 == 0 ? kStrokeErase : kStrokeAdd;
        for (int i = 0; i < 10; ++i) {
            heading += turn(rng);
            const float length = step(rng);
            const float nx = x + std::cos(heading) * length;
            const float ny = y + std::sin(heading) * length;
            history.Append(MakeSegment(x, y, nx, ny, brush, group, kind), softness);
            x = nx;
            y = ny;
        }
        history.CloseGroup();
    }
    return history;
}

const QImage& ViewSource() {
    static const QImage image = imaging::scaledCopy(Photo(), kViewWidth, kViewHeight);
    return image;
}

const QImage& ViewResult() {
    static const QImage image = imaging::scaledCopy(CutOut(), kViewWidth, kViewHeight);
    return image;
}

// One mouse move in the cut-out page's source view: the picture with the
// tint overlay, 200 strokes and the brush disc, then drawn into the window's
// back buffer at the view rectangle.
void BM_SourceViewRepaint(benchmark::State& state) {
    const int softness = static_cast<int>(state.range(0));
    const QImage tintMask = MakeSilhouette(CutOut(), 0x00FF0000u);
    const BrushHistory history = Strokes(softness);
    BrushParams brush;
    brush.softness = softness;
    TintOverlay overlay;
    QImage backBuffer = imaging::newBitmap(1100, 800);
    // The tint mask is scaled to the view once per tint and scale, not per move.
    overlay.Render(ViewSource(), tintMask, kFitScale, history, brush, std::nullopt);
    int frame = 0;
    for (auto _ : state) {
        const PointF disc{static_cast<float>(100 + frame % 800), 400.0f};
        ++frame;
        const QImage& picture =
            overlay.Render(ViewSource(), tintMask, kFitScale, history, brush, disc);
        imaging::Surface surface(backBuffer);
        surface.drawImage(QRectF(30, 10, picture.width(), picture.height()), picture);
        surface.end();
        benchmark::DoNotOptimize(backBuffer.constBits());
    }
}
BENCHMARK(BM_SourceViewRepaint)
    ->ArgName("softness")
    ->Arg(10)
    ->Arg(60)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

// One slider step of the shadow: blur of radius blur x scale with the rim
// fading out, then the opacity.
void BM_ShadowPipeline(benchmark::State& state) {
    ShadowParams shadow;
    SetShadowColour(shadow, 0x00000000u, false);
    SetShadowBlur(shadow, static_cast<int>(state.range(0)));
    const QImage silhouette = MakeSilhouette(ViewResult(), shadow.colour);
    benchmark::DoNotOptimize(BuildShadowImage(silhouette, shadow, kFitScale).constBits());
    for (auto _ : state) {
        QImage image = BuildShadowImage(silhouette, shadow, kFitScale);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ShadowPipeline)
    ->ArgName("blur")
    ->Arg(20)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

// One slider step of the filter page: every step of the chain active.
void BM_FilterChain(benchmark::State& state) {
    FilterParams filter;
    SetBrightness(filter, 10);
    SetContrast(filter, 15);
    SetSaturation(filter, -20);
    SetFilterPreset(filter, 3);
    SetFilterTransparency(filter, 80);
    SetBlurry(filter, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(FilteredCopy(ViewResult(), filter).constBits());
    for (auto _ : state) {
        QImage image = FilteredCopy(ViewResult(), filter);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FilterChain)
    ->ArgName("blurry")
    ->Arg(5)
    ->Arg(50)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

// A page switch after undo: the full-size cut-out replayed from the
// service's cut-out with 200 strokes, then viewResult rebuilt from it.
void BM_FullReplay(benchmark::State& state) {
    const int softness = static_cast<int>(state.range(0));
    const BrushHistory history = Strokes(softness);
    StrokeReplayer replayer;
    QImage result = CutOut().copy();
    replayer.SetCutOut(result);
    // The mask and buffers are kept from one replay to the next.
    replayer.Update(result, Photo(), history, true);
    for (auto _ : state) {
        replayer.Update(result, Photo(), history, true);
        QImage view = imaging::scaledCopy(result, kViewWidth, kViewHeight);
        benchmark::DoNotOptimize(view.constBits());
    }
}
BENCHMARK(BM_FullReplay)
    ->ArgName("softness")
    ->Arg(10)
    ->Arg(60)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

// The replay alone, without rebuilding the view picture.
void BM_FullReplayOnly(benchmark::State& state) {
    const int softness = static_cast<int>(state.range(0));
    const BrushHistory history = Strokes(softness);
    StrokeReplayer replayer;
    QImage result = CutOut().copy();
    replayer.SetCutOut(result);
    replayer.Update(result, Photo(), history, true);
    for (auto _ : state) {
        replayer.Update(result, Photo(), history, true);
        benchmark::DoNotOptimize(result.constBits());
    }
}
BENCHMARK(BM_FullReplayOnly)
    ->ArgName("softness")
    ->Arg(10)
    ->Arg(60)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

// The view picture alone: the full-size cut-out shrunk to the view.
void BM_ViewFromFullSize(benchmark::State& state) {
    for (auto _ : state) {
        QImage view = imaging::scaledCopy(CutOut(), kViewWidth, kViewHeight);
        benchmark::DoNotOptimize(view.constBits());
    }
}
BENCHMARK(BM_ViewFromFullSize)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The same through Qt's smooth scaling on a premultiplied copy, as the view
// picture was made before.
void BM_ViewFromFullSizeQt(benchmark::State& state) {
    for (auto _ : state) {
        QImage view =
            CutOut()
                .convertToFormat(QImage::Format_ARGB32_Premultiplied)
                .scaled(kViewWidth, kViewHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_ARGB32);
        benchmark::DoNotOptimize(view.constBits());
    }
}
BENCHMARK(BM_ViewFromFullSizeQt)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// A page switch after one more drag (10 records) on top of 200: only the new
// records are replayed.
void BM_IncrementalReplay(benchmark::State& state) {
    const BrushHistory base = Strokes(10);
    StrokeReplayer replayer;
    QImage result = CutOut().copy();
    replayer.SetCutOut(result);
    for (auto _ : state) {
        state.PauseTiming();
        BrushHistory history = base;
        replayer.Update(result, Photo(), history, true);
        const int group = history.Count();
        for (int i = 0; i < 10; ++i) {
            const float x = 1000.0f + 40.0f * i;
            history.Append(MakeSegment(x, 1500.0f, x + 40.0f, 1510.0f, 40, group, kStrokeAdd), 10);
        }
        history.CloseGroup();
        state.ResumeTiming();
        replayer.Update(result, Photo(), history, false);
        benchmark::DoNotOptimize(result.constBits());
    }
}
BENCHMARK(BM_IncrementalReplay)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
