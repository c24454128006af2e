// quillora-matting-eval: measures the cut-out against generated scenes whose
// alpha is known, and times whole answers for 12-megapixel photos.
//
//   quillora-matting-eval [--count N] [--timing N] [--dump DIR] [--model FILE]
//                         [--model-side N] [--photo FILE]... [--cache DIR]
//
// With --model the learned segmenter is asked first (as in the service),
// otherwise the classical one alone. --cache keeps the network's coarse
// answer for each generated scene in DIR and reads it back on the next run,
// so that a change to what follows the network is measured in seconds; the
// folder must be emptied whenever the model or the network's own step
// changes.

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <sys/resource.h>

#include <algorithm>
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
#include "service/segment/MatteAgreement.h"
#include "service/segment/Openings.h"
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
    std::vector<std::filesystem::path> photos;  // real photos: which answer, no score
    std::filesystem::path cache;
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
        } else if (name == "--photo") {
            options.photos.emplace_back(argv[i + 1]);
        } else if (name == "--cache") {
            options.cache = argv[i + 1];
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

// The learned segmenter's coarse answer for a generated scene, from the
// cache folder when it holds one (an empty answer is kept as an empty file).
cv::Mat LearnedAnswer(const Segmenter& learned, const cv::Mat& photo, Subject subject,
                      const std::filesystem::path& cache, const std::string& name) {
    if (cache.empty()) {
        return learned.Segment(photo, subject);
    }
    const std::filesystem::path file = cache / (name + ".png");
    std::error_code error;
    if (std::filesystem::exists(file, error)) {
        if (std::filesystem::file_size(file, error) == 0) {
            return {};
        }
        cv::Mat kept = cv::imread(file.string(), cv::IMREAD_GRAYSCALE);
        if (!kept.empty()) {
            return kept;
        }
    }
    cv::Mat matte = learned.Segment(photo, subject);
    std::filesystem::create_directories(cache, error);
    if (matte.empty()) {
        std::FILE* empty = std::fopen(file.string().c_str(), "wb");
        if (empty) {
            std::fclose(empty);
        }
    } else {
        cv::imwrite(file.string(), matte);
    }
    return matte;
}

bool SceneKindIsCluttered(SceneKind kind) {
    return kind == SceneKind::ObjectCluttered || kind == SceneKind::PersonCluttered;
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Sums of the scores of one row of scenes, one column per way of cutting out.
struct Tally {
    Tally(std::string name, std::size_t ways)
        : name(std::move(name)), iou(ways), lowest(ways, 1.0), error(ways), hardIou(ways) {}

    void Add(const std::vector<MatteScore>& scores, const std::vector<double>& hardIous) {
        for (std::size_t w = 0; w < scores.size(); ++w) {
            iou[w] += scores[w].iou;
            lowest[w] = std::min(lowest[w], scores[w].iou);
            error[w] += scores[w].meanError;
            hardIou[w] += hardIous[w];
        }
        ++count;
    }

    // | scenes | count | then per way: mean IoU / lowest IoU / mean alpha error / hard-edge IoU
    void Print(const std::vector<std::string>& ways) const {
        std::printf("| %s | %d |", name.c_str(), count);
        for (std::size_t w = 0; w < ways.size(); ++w) {
            std::printf(" %.3f / %.3f / %.4f / %.3f |", iou[w] / count, lowest[w], error[w] / count,
                        hardIou[w] / count);
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    std::string name;
    int count = 0;
    std::vector<double> iou;
    std::vector<double> lowest;
    std::vector<double> error;
    std::vector<double> hardIou;
};

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
    const Segmenter* learned = segmenter.Find(kLearnedSegmenterName);
    const Segmenter& classical = *segmenter.Find("classical");
    // Real photos have no true alpha: the two answers and the choice between
    // them are printed and, with --dump, written for looking at.
    for (const auto& file : options.photos) {
        const cv::Mat photo = cv::imread(file.string(), cv::IMREAD_COLOR);
        if (photo.empty() || !learned) {
            std::fprintf(stderr, "%s: not read, or no model\n", file.string().c_str());
            continue;
        }
        const cv::Mat learnedMatte = LearnedAnswer(*learned, photo, Subject::Object, options.cache,
                                                   "photo-" + file.stem().string());
        const cv::Mat classicalMatte = classical.Segment(photo, Subject::Object);
        const MatteComparison c = CompareMattes(learnedMatte, classicalMatte);
        const cv::Mat checked =
            CombineAnswers(photo, learnedMatte, Subject::Object, [&] { return classicalMatte; });
        const double changed =
            checked.empty() ? 0.0 : 1.0 - CompareMattes(checked, learnedMatte).overlap;
        std::printf(
            "%s: unsure %.3f overlap %.3f inside %.3f area %.3f plain %d -> %s (changed %.3f)\n",
            file.filename().string().c_str(), c.firstUnsure, c.overlap, c.secondInsideFirst,
            c.areaRatio, PlainBorder(photo, learnedMatte) ? 1 : 0,
            learnedMatte.empty() || CompareMattes(checked, learnedMatte).overlap > 0.6
                ? "learned"
                : "classical",
            changed);
        if (!options.dump.empty()) {
            const std::string stem = (options.dump / file.stem()).string();
            cv::imwrite(stem + "-photo.jpg", photo);
            if (!learnedMatte.empty()) {
                cv::imwrite(stem + "-learned.png",
                            RefineMatteToFullSize(photo, learnedMatte, true));
                cv::imwrite(stem + "-service.png", RefineMatteToFullSize(photo, checked, true));
            }
            if (!classicalMatte.empty()) {
                cv::imwrite(stem + "-classical.png",
                            RefineMatteToFullSize(photo, classicalMatte, true));
            }
        }
    }
    // Each scene is segmented once by each segmenter; the service's answer
    // (the chain) is put together from the same two mattes.
    std::vector<std::string> ways;
    if (learned) {
        ways = {"service (learned, checked)", "learned alone", "classical"};
    } else {
        ways = {"classical"};
    }
    std::printf("| scenes | count |");
    for (const std::string& way : ways) {
        std::printf(" %s: IoU / lowest IoU / alpha error / hard-edge IoU |", way.c_str());
    }
    std::printf("\n|---|---|%s\n", ways.size() == 3 ? "---|---|---|" : "---|");
    std::vector<Tally> tallies;
    for (const SceneKind kind : kAllSceneKinds) {
        if (options.count <= 0 || (options.kind >= 0 && options.kind != static_cast<int>(kind))) {
            continue;
        }
        Tally all(std::string(SceneKindName(kind)), ways.size());
        Tally holes(std::string(SceneKindName(kind)) + ", with holes", ways.size());
        Tally thin(std::string(SceneKindName(kind)) + ", thin parts", ways.size());
        Tally faint(std::string(SceneKindName(kind)) + ", low-contrast edge", ways.size());
        // Photographs of one big subject of their own make the subject
        // ambiguous; their scenes are counted apart as well as in the row.
        Tally scenery(std::string(SceneKindName(kind)) + ", scenery or texture behind",
                      ways.size());
        Tally ownSubject(std::string(SceneKindName(kind)) + ", a photo's own subject behind",
                         ways.size());
        for (int s = 0; s < static_cast<int>(std::size(kSizes)); ++s) {
            if (options.size >= 0 && options.size != s) {
                continue;
            }
            const cv::Size size = kSizes[s];
            for (int i = 0; i < options.count; ++i) {
                const Scene scene = MakeScene(kind, size, static_cast<std::uint64_t>(i), photos);
                const Subject subject = SceneSubject(kind);
                const cv::Mat classicalMatte = classical.Segment(scene.photo, subject);
                std::vector<cv::Mat> coarse;
                if (learned) {
                    const cv::Mat learnedMatte =
                        LearnedAnswer(*learned, scene.photo, subject, options.cache,
                                      std::to_string(static_cast<int>(kind)) + "-" +
                                          std::to_string(size.width) + "-" + std::to_string(i));
                    const cv::Mat alone = learnedMatte.empty() ? classicalMatte : learnedMatte;
                    const cv::Mat checked = learnedMatte.empty()
                                                ? classicalMatte
                                                : CombineAnswers(scene.photo, learnedMatte, subject,
                                                                 [&] { return classicalMatte; });
                    coarse = {checked, alone, classicalMatte};
                    if (options.verbose && !learnedMatte.empty()) {
                        const MatteComparison c = CompareMattes(learnedMatte, classicalMatte);
                        std::fprintf(stderr,
                                     "  unsure %.3f overlap %.3f inside %.3f area %.3f -> %s\n",
                                     c.firstUnsure, c.overlap, c.secondInsideFirst, c.areaRatio,
                                     checked.data == learnedMatte.data     ? "learned"
                                     : checked.data == classicalMatte.data ? "classical"
                                                                           : "learned, opened");
                    }
                } else {
                    coarse = {classicalMatte};
                }
                std::vector<MatteScore> scores;
                std::vector<double> hardIous;
                for (std::size_t w = 0; w < coarse.size(); ++w) {
                    const cv::Mat& matte = coarse[w];
                    cv::Mat alpha(scene.photo.size(), CV_8U, cv::Scalar(0));
                    cv::Mat hardAlpha = alpha.clone();
                    if (!matte.empty()) {
                        cv::extractChannel(
                            ComposeCutOut(scene.photo,
                                          RefineMatteToFullSize(scene.photo, matte, true), matte),
                            alpha, 3);
                        hardAlpha = RefineMatteToFullSize(scene.photo, matte, false);
                    }
                    scores.push_back(ScoreMatte(alpha, scene.alpha));
                    hardIous.push_back(ScoreMatte(hardAlpha, scene.alpha).iou);
                    if (!options.dump.empty()) {
                        const std::string stem =
                            (options.dump / (std::to_string(static_cast<int>(kind)) + "-" +
                                             std::to_string(size.width) + "-" + std::to_string(i)))
                                .string();
                        if (w == 0) {
                            cv::imwrite(stem + "-photo.jpg", scene.photo);
                            cv::imwrite(stem + "-truth.png", scene.alpha);
                        }
                        cv::imwrite(stem + "-alpha" + std::to_string(w) + ".png", alpha);
                    }
                }
                all.Add(scores, hardIous);
                if (SceneKindIsCluttered(kind)) {
                    (scene.backgroundHasSubject ? ownSubject : scenery).Add(scores, hardIous);
                }
                if (HasHoles(scene.alpha)) {
                    holes.Add(scores, hardIous);
                }
                if (HasThinParts(scene.alpha)) {
                    thin.Add(scores, hardIous);
                }
                if (scene.lowContrastEdge) {
                    faint.Add(scores, hardIous);
                }
                if (options.verbose) {
                    std::fprintf(stderr, "%d %dx%d #%d:%s%s%s%s", static_cast<int>(kind),
                                 size.width, size.height, i, HasHoles(scene.alpha) ? " holes" : "",
                                 HasThinParts(scene.alpha) ? " thin" : "",
                                 scene.lowContrastEdge ? " low-contrast" : "",
                                 scene.backgroundHasSubject ? " own-subject-behind" : "");
                    for (std::size_t w = 0; w < scores.size(); ++w) {
                        std::fprintf(stderr, " | %s IoU %.3f error %.4f", ways[w].c_str(),
                                     scores[w].iou, scores[w].meanError);
                    }
                    std::fprintf(stderr, "\n");
                }
            }
        }
        all.Print(ways);
        for (const Tally* part : {&scenery, &ownSubject}) {
            if (part->count > 0) {
                part->Print(ways);
            }
        }
        for (const Tally* part : {&holes, &thin, &faint}) {
            if (part->count > 0 && SceneSubject(kind) == Subject::Object) {
                tallies.push_back(*part);
            }
        }
    }
    if (!tallies.empty()) {
        std::printf("\nobjects whose outline is hard:\n\n");
        for (const Tally& tally : tallies) {
            tally.Print(ways);
        }
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
