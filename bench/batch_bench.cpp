// The batch page with many large photos: the memory a batch of 12-megapixel
// photos and cut-outs holds once every element has its preview, and the
// whole-batch save on the pool (one element per task, one thread per core)
// beside the same save one element at a time (each element's kernels on
// every core, the alternative the program really has; and, for comparison,
// on one core), in the same run.
//
// The photo is a made-up 4000 x 3000 picture saved as a JPEG at quality 92;
// its cut-out the same picture with a soft-edged subject on transparency,
// saved as PNG. Every element of the batch reads the same two files, which
// costs each element exactly what distinct files would. The batch size is 50
// unless QUILLORA_BENCH_BATCH says otherwise.
//
// Counters: resident_MB is the whole process's resident memory with the
// batch shown, added_MB what the batch added to it, full_size_MB what the
// elements would hold if they kept the full-size photo and cut-out decoded;
// peak_MB the process's highest resident memory so far (run one benchmark
// at a time with --benchmark_filter to see each one's own).
// "Time" is wall-clock; "CPU" the whole process's processor time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "canvas/imaging/Imaging.h"
#include "canvas/imaging/Parallel.h"
#include "canvas/png/PngFile.h"
#include "workspace/batch/ListFileElement.h"
#include "workspace/core/batch/BatchSaveRun.h"
#include "workspace/core/batch/ElementOutput.h"

namespace {

using namespace quillora;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

struct Inputs {
    QTemporaryDir dir;
    QString photo;
    QString cutOut;
};

int BatchSize() {
    const int n = qEnvironmentVariableIntValue("QUILLORA_BENCH_BATCH");
    return n > 0 ? n : 50;
}

// Resident and peak resident memory of this process, in MB.
double StatusMegabytes(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0.0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key)) {
            return line.mid(int(std::strlen(key))).trimmed().split(' ').front().toDouble() / 1024.0;
        }
    }
    return 0.0;
}

const Inputs& MakeInputs() {
    static Inputs* inputs = [] {
        auto* in = new Inputs;
        QImage photo(kWidth, kHeight, QImage::Format_RGB32);
        std::mt19937 noise(7);
        std::normal_distribution<float> grain(0.0f, 3.0f);
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<QRgb*>(photo.scanLine(y));
            for (int x = 0; x < kWidth; ++x) {
                const float fx = float(x) / kWidth;
                const float fy = float(y) / kHeight;
                const float shade = 180 + 40 * std::sin(fx * 9.0f) * std::cos(fy * 7.0f);
                const int g = std::clamp(int(shade + grain(noise)), 0, 255);
                row[x] = qRgb(std::clamp(g + 20, 0, 255), g, std::clamp(g - 25, 0, 255));
            }
        }
        QPainter painter(&photo);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(120, 40, 30));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRectF(1300, 600, 1400, 2000));
        painter.end();
        in->photo = in->dir.filePath(QStringLiteral("photo.jpg"));
        photo.save(in->photo, "JPEG", 92);

        QImage cut = photo.convertToFormat(QImage::Format_ARGB32);
        const QPointF centre(2000, 1600);
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<QRgb*>(cut.scanLine(y));
            for (int x = 0; x < kWidth; ++x) {
                const double dx = (x - centre.x()) / 700.0;
                const double dy = (y - centre.y()) / 1000.0;
                const double r = std::sqrt(dx * dx + dy * dy);
                const int alpha = std::clamp(int((1.05 - r) * 255 / 0.1), 0, 255);
                row[x] = (row[x] & 0x00FFFFFFu) | (QRgb(alpha) << 24);
            }
        }
        in->cutOut = in->dir.filePath(QStringLiteral("cutout.png"));
        png::WritePngFile(cut, in->cutOut);
        return in;
    }();
    return *inputs;
}

void BM_BatchMemory(benchmark::State& state) {
    const Inputs& in = MakeInputs();
    const int count = BatchSize();
    for (auto _ : state) {
        const double before = StatusMegabytes("VmRSS:");
        std::vector<std::unique_ptr<CListFileElementUI>> elements;
        // What the UI thread spends handing the photos and cut-outs over;
        // their previews are decoded on the pool meanwhile.
        double uiThreadMs = 0.0;
        for (int i = 0; i < count; ++i) {
            const auto start = std::chrono::steady_clock::now();
            auto element = std::make_unique<CListFileElementUI>();
            element->SetSource(in.photo);
            element->SetResult(in.cutOut);
            element->SetBackgroundColour(0x00FFFFFFu, false);
            uiThreadMs +=
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            elements.push_back(std::move(element));
        }
        const auto pending = [&] {
            return std::any_of(elements.begin(), elements.end(),
                               [](const auto& e) { return e->PreviewPending(); });
        };
        while (pending()) {
            // The elements' animation timers are left out: waiting for the
            // pool first measures the decoding alone.
            QThreadPool::globalInstance()->waitForDone();
            QCoreApplication::processEvents();
        }
        for (const auto& element : elements) {
            // Painted once, as the list shows it: the previews are made.
            QImage shown(element->size(), QImage::Format_ARGB32);
            element->render(&shown);
        }
        state.counters["ui_thread_ms"] = uiThreadMs;
        const double after = StatusMegabytes("VmRSS:");
        state.counters["resident_MB"] = after;
        state.counters["added_MB"] = after - before;
        state.counters["peak_MB"] = StatusMegabytes("VmHWM:");
        state.counters["full_size_MB"] =
            double(count) * 2.0 * kWidth * kHeight * 4.0 / (1024.0 * 1024.0);
    }
}
BENCHMARK(BM_BatchMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// The look the batch page gives every element: a white background and
// preset 2 (1 : 1) on a 220-pixel preview.
batch::ElementLook BatchLook() {
    batch::ElementLook look;
    look.mode = canvas::EditMode::ChangeSize;
    look.previewScale = 0.05f;
    look.background.kind = canvas::BackgroundKind::Colour;
    look.background.colour = 0xFFFFFFFFu;
    look.background.placementRect = {0.0f, 0.0f, 200.0f, 150.0f};
    look.background.sizePreset = 2;
    look.background.cropApplied = true;
    look.background.cropRect = {25.0f, 0.0f, 150.0f, 150.0f};
    return look;
}

// The save tasks of a batch, as the batch page makes them.
std::vector<batch::ElementSaveTask> SaveTasks(const QString& folder) {
    const Inputs& in = MakeInputs();
    const batch::ElementLook look = BatchLook();
    std::vector<batch::ElementSaveTask> tasks;
    for (int i = 0; i < BatchSize(); ++i) {
        const QString path = QStringLiteral("%1/e%2.png").arg(folder).arg(i);
        tasks.push_back([cut = in.cutOut, look, path] {
            return batch::SaveElementOutput(cut, look, path) == batch::ElementSaveStatus::Ok;
        });
    }
    return tasks;
}

void RunSave(benchmark::State& state, int threads) {
    QTemporaryDir out;
    const std::vector<batch::ElementSaveTask> tasks = SaveTasks(out.path());
    std::atomic<bool> stop{false};
    int saved = 0;
    for (auto _ : state) {
        saved = batch::RunBatchSave(tasks, threads, stop, nullptr).saved;
    }
    state.counters["saved"] = saved;
    state.counters["threads"] = threads;
    state.counters["peak_MB"] = StatusMegabytes("VmHWM:");
}

void BM_SaveOneAtATime(benchmark::State& state) {
    RunSave(state, 1);
}
// One element at a time with every kernel on the calling thread: what the
// pool's threads each do, one after another.
void BM_SaveOneAtATimeSerialKernels(benchmark::State& state) {
    imaging::SerialKernels serial;
    RunSave(state, 1);
}
void BM_SaveOnThePool(benchmark::State& state) {
    RunSave(state, batch::BatchThreadCount(BatchSize()));
}
BENCHMARK(BM_SaveOneAtATime)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_SaveOneAtATimeSerialKernels)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_SaveOnThePool)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// One element's save split into its steps, each step's median over the
// iterations: reading the cut-out, composing the output, encoding it. Run
// with the element's kernels on every core (range 0) and on one (range 1).
void BM_ElementSaveSteps(benchmark::State& state) {
    const Inputs& in = MakeInputs();
    std::optional<imaging::SerialKernels> serial;
    if (state.range(0) == 1) {
        serial.emplace();
    }
    const batch::ElementLook look = BatchLook();
    std::vector<double> decode, compose, encode;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        const QImage cut = imaging::decodeFile(in.cutOut);
        auto t1 = std::chrono::steady_clock::now();
        const QImage picture = batch::RenderElementPicture(cut, look, nullptr);
        auto t2 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(png::EncodePng(picture));
        auto t3 = std::chrono::steady_clock::now();
        decode.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        compose.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
        encode.push_back(std::chrono::duration<double, std::milli>(t3 - t2).count());
    }
    const auto median = [](std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    };
    state.counters["decode_ms"] = median(decode);
    state.counters["compose_ms"] = median(compose);
    state.counters["encode_ms"] = median(encode);
}
BENCHMARK(BM_ElementSaveSteps)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// Reading the 12-megapixel cut-out: the program's reader beside Qt's.
void BM_DecodeCutOut(benchmark::State& state) {
    const Inputs& in = MakeInputs();
    for (auto _ : state) {
        benchmark::DoNotOptimize(imaging::decodeFile(in.cutOut));
    }
}
BENCHMARK(BM_DecodeCutOut)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_DecodeCutOutWithQt(benchmark::State& state) {
    const Inputs& in = MakeInputs();
    for (auto _ : state) {
        QImageReader reader(in.cutOut);
        benchmark::DoNotOptimize(reader.read().convertToFormat(QImage::Format_ARGB32));
    }
}
BENCHMARK(BM_DecodeCutOutWithQt)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MakeInputs();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
