// The learned segmenter on a generated 4000 x 3000 product photo: the forward
// pass alone at the two input sides worth considering (1024 and 768), and a
// whole 12-megapixel answer split into its steps (JPEG decoding, forward
// pass, full-size edge refinement with the colour clean-up, PNG encoding,
// Base64). Wall-clock times; the forward pass uses every core. The model is
// $QUILLORA_MODEL_FILE or the one tools/model/fetch-model.sh made.
#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/codec/Base64.h"
#include "service/imaging/PhotoCodec.h"
#include "service/quality/SyntheticScenes.h"
#include "service/segment/EdgeRefiner.h"
#include "service/segment/ForegroundColour.h"
#include "service/segment/LearnedSegmenter.h"

namespace {

using namespace quillora::service;
using Clock = std::chrono::steady_clock;

std::filesystem::path ModelFile() {
    if (const char* file = std::getenv("QUILLORA_MODEL_FILE"); file && *file) {
        return file;
    }
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    const std::filesystem::path cache = xdg && *xdg
                                            ? std::filesystem::path(xdg)
                                            : std::filesystem::path(home ? home : ".") / ".cache";
    return cache / "quillora" / "models" / "isnet-general.onnx";
}

// One segmenter per input side, loaded on first use.
const LearnedSegmenter* Segmenter(int side) {
    static std::map<int, std::unique_ptr<LearnedSegmenter>> loaded;
    auto& slot = loaded[side];
    if (!slot) {
        std::string problem;
        slot = LearnedSegmenter::Load(ModelFile(), &problem, side);
    }
    return slot.get();
}

const Scene& Photo() {
    static const Scene scene =
        MakeScene(SceneKind::ObjectPlain, {4000, 3000}, 100, ScenePhotos::LoadInstalled());
    return scene;
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Processor seconds of the whole process (every thread): on a shared machine
// the wall-clock time says little, this bounds it on an idle one.
double ProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BM_ForwardPass(benchmark::State& state) {
    const LearnedSegmenter* segmenter = Segmenter(static_cast<int>(state.range(0)));
    if (!segmenter) {
        state.SkipWithError("no segmentation model; run tools/model/fetch-model.sh");
        return;
    }
    const cv::Mat& photo = Photo().photo;
    const double processorStart = ProcessorSeconds();
    for (auto _ : state) {
        benchmark::DoNotOptimize(segmenter->Segment(photo, Subject::Object));
    }
    state.counters["processor_s"] =
        (ProcessorSeconds() - processorStart) / static_cast<double>(state.iterations());
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_ForwardPass)->Arg(1024)->Arg(768)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WholeAnswer12Mp(benchmark::State& state) {
    const LearnedSegmenter* segmenter = Segmenter(static_cast<int>(state.range(0)));
    if (!segmenter) {
        state.SkipWithError("no segmentation model; run tools/model/fetch-model.sh");
        return;
    }
    std::vector<uchar> jpeg;
    cv::imencode(".jpg", Photo().photo, jpeg, {cv::IMWRITE_JPEG_QUALITY, 92});
    const std::string bytes(jpeg.begin(), jpeg.end());
    double decode = 0, forward = 0, refine = 0, png = 0, base64 = 0;
    const double processorStart = ProcessorSeconds();
    for (auto _ : state) {
        auto start = Clock::now();
        const DecodedPhoto photo = DecodePhoto(bytes, 100'000'000);
        decode += Since(start);
        start = Clock::now();
        const cv::Mat coarse = segmenter->Segment(photo.bgr, Subject::Object);
        forward += Since(start);
        start = Clock::now();
        const cv::Mat alpha = RefineMatteToFullSize(photo.bgr, coarse, true);
        const cv::Mat cutOut = ComposeCutOut(photo.bgr, alpha, coarse);
        refine += Since(start);
        start = Clock::now();
        const std::string encoded = EncodePng(cutOut);
        png += Since(start);
        start = Clock::now();
        benchmark::DoNotOptimize(quillora::codec::Base64Encode(encoded));
        base64 += Since(start);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["decode_ms"] = decode / n;
    state.counters["forward_ms"] = forward / n;
    state.counters["refine_ms"] = refine / n;
    state.counters["png_ms"] = png / n;
    state.counters["base64_ms"] = base64 / n;
    state.counters["processor_s"] = (ProcessorSeconds() - processorStart) / n;
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_WholeAnswer12Mp)
    ->Arg(1024)
    ->Arg(768)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
