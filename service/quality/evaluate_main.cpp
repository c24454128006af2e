// quillora-matting-eval: measures the cut-out against generated scenes whose
// alpha is known, and times whole answers for 12-megapixel photos.
//
//   quillora-matting-eval [--count N] [--timing N] [--dump DIR] [--model FILE]
//                         [--model-side N]
//
// With --model the learned segmenter is asked first (as in the service),
// otherwise the classical one alone.

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/codec/Base64.h"
#include "service/quality/MatteScore.h"
#include "service/quality/SyntheticScenes.h"
#include "service/segment/ClassicalSegmenter.h"
#include "service/segment/CutOut.h"
#include "service/segment/EdgeRefiner.h"
#include "service/segment/ForegroundColour.h"
#include "service/segment/LearnedSegmenter.h"
#include "service/server/MattingAnswer.h"

namespace {

using namespace quillora::service;
using Clock = std::chrono::steady_clock;

const cv::Size kSizes[] = {{480, 360}, {1024, 768}, {1600, 1200}};
const cv::Size kTimingSize(4000, 3000);

struct Options {
    int count = 8;
    int timing = 3;
    std::filesystem::path dump;
    bool verbose = false;
    int kind = -1;  // all
    int size = -1;  // all
    std::filesystem::path model;
    int modelSide = LearnedSegmenter::kDefaultSide;
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--count") {
            options.count = std::atoi(argv[i + 1]);
        } else if (name == "--timing") {
            options.timing = std::atoi(argv[i + 1]);
        } else if (name == "--dump") {
            options.dump = argv[i + 1];
        } else if (name == "--kind") {
            options.kind = std::atoi(argv[i + 1]);
        } else if (name == "--size") {
            options.size = std::atoi(argv[i + 1]);
        } else if (name == "--model") {
            options.model = argv[i + 1];
        } else if (name == "--model-side") {
            options.modelSide = std::atoi(argv[i + 1]);
        } else if (name == "--verbose") {
            options.verbose = std::atoi(argv[i + 1]) != 0;
        }
    }
    return options;
}

// Processor time of the whole process (all threads): on an otherwise idle
// machine the wall-clock time of a computation is at most this.
double ProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    const ScenePhotos photos = ScenePhotos::LoadInstalled();
    std::printf("photographs: %s; portrait with a face: %s; threads: %d\n\n",
                photos.HasPhotos() ? "installed samples" : "none (drawn clutter)",
                photos.portrait.empty() ? "no" : "yes", cv::getNumThreads());
    if (!options.dump.empty()) {
        std::filesystem::create_directories(options.dump);
    }
    SegmenterChain segmenter;
    if (!options.model.empty()) {
        std::string problem;
        auto learned = LearnedSegmenter::Load(options.model, &problem, options.modelSide);
        if (!learned) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            return 1;
        }
        segmenter.Add(std::move(learned));
    }
    segmenter.Add(std::make_unique<ClassicalSegmenter>());
    std::printf("segmenters: %s\n\n", segmenter.Names().c_str());
    std::printf(
        "| scenes | count | mean IoU | lowest IoU | mean abs. alpha error | hard-edge IoU |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const SceneKind kind : kAllSceneKinds) {
        if (options.count <= 0 || (options.kind >= 0 && options.kind != static_cast<int>(kind))) {
            continue;
        }
        double iou = 0;
        double lowest = 1;
        double error = 0;
        double hardIou = 0;
        int n = 0;
        for (int s = 0; s < static_cast<int>(std::size(kSizes)); ++s) {
            if (options.size >= 0 && options.size != s) {
                continue;
            }
            const cv::Size size = kSizes[s];
            for (int i = 0; i < options.count; ++i) {
                const Scene scene = MakeScene(kind, size, static_cast<std::uint64_t>(i), photos);
                // One segmentation, refined both ways (as MakeCutOut does).
                const cv::Mat coarse = segmenter.Segment(scene.photo, SceneSubject(kind));
                cv::Mat soft(scene.photo.size(), CV_8UC4, cv::Scalar::all(0));
                cv::Mat hard = soft.clone();
                if (!coarse.empty()) {
                    soft = ComposeCutOut(scene.photo,
                                         RefineMatteToFullSize(scene.photo, coarse, true), coarse);
                    hard = ComposeCutOut(scene.photo,
                                         RefineMatteToFullSize(scene.photo, coarse, false), coarse);
                }
                cv::Mat alpha;
                cv::Mat hardAlpha;
                cv::extractChannel(soft, alpha, 3);
                cv::extractChannel(hard, hardAlpha, 3);
                const MatteScore score = ScoreMatte(alpha, scene.alpha);
                iou += score.iou;
                lowest = std::min(lowest, score.iou);
                error += score.meanError;
                hardIou += ScoreMatte(hardAlpha, scene.alpha).iou;
                ++n;
                if (options.verbose) {
                    std::fprintf(stderr, "%d %dx%d #%d: IoU %.3f error %.4f\n",
                                 static_cast<int>(kind), size.width, size.height, i, score.iou,
                                 score.meanError);
                }
                if (!options.dump.empty()) {
                    const std::string stem =
                        (options.dump / (std::to_string(static_cast<int>(kind)) + "-" +
                                         std::to_string(size.width) + "-" + std::to_string(i)))
                            .string();
                    cv::imwrite(stem + "-photo.jpg", scene.photo);
                    cv::imwrite(stem + "-truth.png", scene.alpha);
                    cv::imwrite(stem + "-alpha.png", alpha);
                }
            }
        }
        std::printf("| %s | %d | %.3f | %.3f | %.4f | %.3f |\n",
                    std::string(SceneKindName(kind)).c_str(), n, iou / n, lowest, error / n,
                    hardIou / n);
        std::fflush(stdout);
    }

    if (options.timing > 0) {
        std::printf("\n12-megapixel answers (%dx%d JPEG in, Base64 PNG out):\n", kTimingSize.width,
                    kTimingSize.height);
        for (int i = 0; i < options.timing; ++i) {
            const SceneKind kind = kAllSceneKinds[i % 4];
            const Scene scene =
                MakeScene(kind, kTimingSize, static_cast<std::uint64_t>(100 + i), photos);
            std::vector<uchar> jpeg;
            cv::imencode(".jpg", scene.photo, jpeg, {cv::IMWRITE_JPEG_QUALITY, 92});
            const std::string bytes(jpeg.begin(), jpeg.end());
            const auto start = Clock::now();
            const double processorStart = ProcessorSeconds();
            const MattingResult result =
                ComputeCutOut(bytes, SceneSubject(kind), true, 100'000'000, segmenter);
            const std::string answer = quillora::codec::Base64Encode(result.png);
            const double processor = ProcessorSeconds() - processorStart;
            std::printf("  %s: %.2f s wall, %.2f s processor (%s, %zu characters of Base64 PNG)\n",
                        std::string(SceneKindName(kind)).c_str(), Seconds(start), processor,
                        result.png.empty() ? result.error.c_str() : "ok", answer.size());
        }
    }
    return 0;
}
