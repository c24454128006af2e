// The learned segmenter's picture preparation and answer reading on small
// pictures whose numbers are worked out by hand, its refusal of missing and
// damaged model files, the chain's fallback, and the bounded computing queue.

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <future>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#include "ServiceTempFolder.h"
#include "common/codec/Base64.h"
#include "service/segment/CutOut.h"
#include "service/segment/LearnedSegmenter.h"
#include "service/server/ComputeGate.h"
#include "service/server/MattingAnswer.h"
#include "service/server/ServiceServer.h"
#include "service/wire/RequestSigning.h"
#include "service/wire/SharedKeys.h"

namespace quillora::service {
namespace {

using testing::TempFolder;
using testing::WriteAll;

float BlobAt(const cv::Mat& blob, int channel, int y, int x) {
    return blob.ptr<float>(0, channel)[y * blob.size[3] + x];
}

TEST(NetInput, ChannelsAreRgbScaledAndCentred) {
    // 4 x 4 photo at 4 x 4: no stretching, every value checks directly.
    cv::Mat photo(4, 4, CV_8UC3);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            photo.at<cv::Vec3b>(y, x) = cv::Vec3b(static_cast<uchar>(10 * x),       // blue
                                                  static_cast<uchar>(60 + 20 * y),  // green
                                                  static_cast<uchar>(255 - 5 * x * y));
        }
    }
    const cv::Mat blob = MakeNetInput(photo, 4);
    ASSERT_EQ(blob.dims, 4);
    EXPECT_EQ(blob.size[0], 1);
    EXPECT_EQ(blob.size[1], 3);
    EXPECT_EQ(blob.size[2], 4);
    EXPECT_EQ(blob.size[3], 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_NEAR(BlobAt(blob, 0, y, x), (255 - 5 * x * y) / 255.0 - 0.5, 1e-5);
            EXPECT_NEAR(BlobAt(blob, 1, y, x), (60 + 20 * y) / 255.0 - 0.5, 1e-5);
            EXPECT_NEAR(BlobAt(blob, 2, y, x), (10 * x) / 255.0 - 0.5, 1e-5);
        }
    }
}

TEST(NetInput, PhotoIsStretchedToTheSquareBilinearly) {
    // Two columns, black and white, stretched to four: pixel centres at
    // -0.25, 0.25, 0.75, 1.25 of the source, clamped at the ends, so
    // 0, 1/4, 3/4 and 1 of the way; rows are only repeated.
    cv::Mat photo(1, 2, CV_8UC3, cv::Scalar::all(0));
    photo.at<cv::Vec3b>(0, 1) = cv::Vec3b(255, 255, 255);
    const cv::Mat blob = MakeNetInput(photo, 4);
    ASSERT_EQ(blob.size[2], 4);
    const double expected[] = {0.0, 0.25, 0.75, 1.0};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(BlobAt(blob, c, y, x), expected[x] - 0.5, 0.004) << x << "," << y;
            }
        }
    }
    EXPECT_TRUE(MakeNetInput(cv::Mat(), 4).empty());
    EXPECT_TRUE(MakeNetInput(cv::Mat(4, 4, CV_8UC1, cv::Scalar(0)), 4).empty());
}

cv::Mat OutputBlob(int side, const std::vector<float>& columnValues) {
    const int sizes[] = {1, 1, side, side};
    cv::Mat blob(4, sizes, CV_32F);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            blob.ptr<float>(0, 0)[y * side + x] = columnValues[x];
        }
    }
    return blob;
}

TEST(NetOutput, IsStretchedToTheFullRangeAndBackToThePhotosShape) {
    // Values 0.2 .. 0.5 in equal steps become 0, 85, 170, 255.
    const cv::Mat blob = OutputBlob(4, {0.2f, 0.3f, 0.4f, 0.5f});
    // A photo twice as wide as high, long side limited to 4: a 4 x 2 matte;
    // the columns are unchanged by the vertical squeeze.
    const cv::Mat matte = MatteFromNetOutput(blob, cv::Size(8, 4), 4);
    ASSERT_EQ(matte.type(), CV_8U);
    ASSERT_EQ(matte.size(), cv::Size(4, 2));
    const int expected[] = {0, 85, 170, 255};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_NEAR(matte.at<uchar>(y, x), expected[x], 1) << x << "," << y;
        }
    }
    // Never larger than the photo itself.
    EXPECT_EQ(MatteFromNetOutput(blob, cv::Size(3, 5), 1024).size(), cv::Size(3, 5));
    // A long side of 1024 for a 4000 x 3000 photo: 1024 x 768.
    EXPECT_EQ(MatteFromNetOutput(blob, cv::Size(4000, 3000), 1024).size(), cv::Size(1024, 768));
}

TEST(NetOutput, NoSpreadOrNotANumberMeansNoAnswer) {
    EXPECT_TRUE(MatteFromNetOutput(OutputBlob(4, {0.7f, 0.7f, 0.7f, 0.7f}), {4, 4}, 4).empty());
    // Faint everywhere: nothing is subject, the faint spread is not stretched.
    EXPECT_TRUE(
        MatteFromNetOutput(OutputBlob(4, {0.001f, 0.01f, 0.02f, 0.04f}), {4, 4}, 4).empty());
    EXPECT_FALSE(
        MatteFromNetOutput(OutputBlob(4, {0.001f, 0.01f, 0.02f, 0.06f}), {4, 4}, 4).empty());
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(MatteFromNetOutput(OutputBlob(4, {0.1f, nan, 0.4f, 0.9f}), {4, 4}, 4).empty());
    EXPECT_TRUE(MatteFromNetOutput(cv::Mat(), {4, 4}, 4).empty());
    EXPECT_TRUE(MatteFromNetOutput(cv::Mat(4, 4, CV_8U, cv::Scalar(3)), {4, 4}, 4).empty());
    // A plain 2-D answer is read the same way as a blob.
    cv::Mat plain(2, 2, CV_32F);
    plain.at<float>(0, 0) = -1;
    plain.at<float>(0, 1) = 1;
    plain.at<float>(1, 0) = 0;
    plain.at<float>(1, 1) = 1;
    const cv::Mat matte = MatteFromNetOutput(plain, {2, 2}, 2);
    ASSERT_EQ(matte.size(), cv::Size(2, 2));
    EXPECT_EQ(matte.at<uchar>(0, 0), 0);
    EXPECT_EQ(matte.at<uchar>(0, 1), 255);
    EXPECT_NEAR(matte.at<uchar>(1, 0), 128, 1);
    // A window into a wider answer (rows not packed) reads its own values.
    cv::Mat wide(2, 5, CV_32F, cv::Scalar(9));
    plain.copyTo(wide(cv::Rect(2, 0, 2, 2)));
    const cv::Mat window = MatteFromNetOutput(wide(cv::Rect(2, 0, 2, 2)), {2, 2}, 2);
    ASSERT_EQ(window.size(), cv::Size(2, 2));
    EXPECT_EQ(cv::norm(window, matte, cv::NORM_INF), 0);
}

TEST(MatteHoldsFace, HalfTheFaceBoxMustBeSubject) {
    cv::Mat matte(40, 40, CV_8U, cv::Scalar(0));
    matte(cv::Rect(0, 0, 40, 20)).setTo(200);  // the upper half is subject
    EXPECT_TRUE(MatteHoldsFace(matte, cv::Rect(10, 2, 10, 10)));
    EXPECT_FALSE(MatteHoldsFace(matte, cv::Rect(10, 25, 10, 10)));
    // Half in, half out: 50 of 100 pixels is still held; 40 is not.
    EXPECT_TRUE(MatteHoldsFace(matte, cv::Rect(10, 15, 10, 10)));
    EXPECT_FALSE(MatteHoldsFace(matte, cv::Rect(10, 16, 10, 10)));
    // Only the part inside the matte counts; a box outside holds nothing.
    EXPECT_TRUE(MatteHoldsFace(matte, cv::Rect(-10, -10, 20, 20)));
    EXPECT_FALSE(MatteHoldsFace(matte, cv::Rect(50, 50, 10, 10)));
    EXPECT_FALSE(MatteHoldsFace(cv::Mat(), cv::Rect(0, 0, 5, 5)));
}

TEST(LearnedSegmenterLoad, MissingShortAndDamagedFilesAreRefusedWithAReason) {
    const TempFolder folder;
    std::string problem;
    EXPECT_EQ(LearnedSegmenter::Load(folder.path() / "absent.onnx", &problem), nullptr);
    EXPECT_NE(problem.find("absent.onnx"), std::string::npos) << problem;

    WriteAll(folder.path() / "short.onnx", "ONNX");
    problem.clear();
    EXPECT_EQ(LearnedSegmenter::Load(folder.path() / "short.onnx", &problem), nullptr);
    EXPECT_FALSE(problem.empty());

    // Bytes that are no model at all, long enough to be parsed.
    cv::Mat noise(1, 64 * 1024, CV_8U);
    cv::randu(noise, 0, 256);
    WriteAll(folder.path() / "noise.onnx",
             std::string(reinterpret_cast<const char*>(noise.data), noise.total()));
    problem.clear();
    EXPECT_EQ(LearnedSegmenter::Load(folder.path() / "noise.onnx", &problem), nullptr);
    EXPECT_FALSE(problem.empty());

    // A folder where the file should be.
    std::filesystem::create_directories(folder.path() / "dir.onnx");
    EXPECT_EQ(LearnedSegmenter::Load(folder.path() / "dir.onnx", &problem), nullptr);
}

TEST(ServiceModel, WithoutAUsableModelTheClassicalSegmenterAnswersAlone) {
    const TempFolder data;
    const TempFolder models;
    WriteAll(models.path() / "cut.onnx", std::string(5000, '\x08'));
    for (const auto& model : {models.path() / "absent.onnx", models.path() / "cut.onnx"}) {
        ServiceServer server(data.path() / model.stem());
        server.SetModel(model, 0);
        std::string problem;
        ASSERT_TRUE(server.Prepare(&problem)) << problem;
        EXPECT_NE(problem.find("classical"), std::string::npos) << problem;
        EXPECT_EQ(server.SegmenterNames(), "classical");
    }
    // No model asked for: no warning.
    ServiceServer plain(data.path() / "plain");
    std::string problem;
    ASSERT_TRUE(plain.Prepare(&problem));
    EXPECT_EQ(problem, "");
    EXPECT_EQ(plain.SegmenterNames(), "classical");
}

// A segmenter that answers nothing, like a learned one whose model failed,
// and one that answers a fixed matte.
class Silent : public Segmenter {
public:
    std::string_view Name() const override { return "silent"; }
    cv::Mat Segment(const cv::Mat&, Subject) const override { return {}; }
};

class Fixed : public Segmenter {
public:
    explicit Fixed(uchar value) : value_(value) {}
    std::string_view Name() const override { return "fixed"; }
    cv::Mat Segment(const cv::Mat& photo, Subject) const override {
        return cv::Mat(photo.size(), CV_8U, cv::Scalar(value_));
    }

private:
    uchar value_;
};

TEST(SegmenterChainOrder, FirstAnswerWinsAndSilenceFallsThrough) {
    const cv::Mat photo(6, 8, CV_8UC3, cv::Scalar(1, 2, 3));
    SegmenterChain chain;
    chain.Add(std::make_unique<Silent>());
    chain.Add(std::make_unique<Fixed>(7));
    chain.Add(std::make_unique<Fixed>(9));
    const cv::Mat matte = chain.Segment(photo, Subject::Object);
    ASSERT_EQ(matte.size(), photo.size());
    EXPECT_EQ(matte.at<uchar>(0, 0), 7);
    EXPECT_EQ(chain.Names(), "silent, fixed, fixed");
    EXPECT_NE(chain.Find("silent"), nullptr);
    EXPECT_EQ(chain.Find(kLearnedSegmenterName), nullptr);
}

// Holds every Segment call until released; counts the calls that entered.
class Held : public Segmenter {
public:
    std::string_view Name() const override { return "held"; }
    cv::Mat Segment(const cv::Mat& photo, Subject) const override {
        std::unique_lock lock(mutex_);
        ++entered_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
        cv::Mat matte(photo.size(), CV_8U, cv::Scalar(0));
        matte(cv::Rect(photo.cols / 4, photo.rows / 4, photo.cols / 2, photo.rows / 2)).setTo(255);
        return matte;
    }
    void WaitForEntered(int count) const {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return entered_ >= count; });
    }
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    mutable int entered_ = 0;
    bool released_ = false;
};

// A stand-in for the learned segmenter: a fixed matte at half the photo's
// size, wrong on purpose in places the refine mask overrules.
class HalfSizeMatte : public Segmenter {
public:
    explicit HalfSizeMatte(cv::Mat matte) : matte_(std::move(matte)) {}
    std::string_view Name() const override { return kLearnedSegmenterName; }
    cv::Mat Segment(const cv::Mat&, Subject) const override { return matte_.clone(); }

private:
    cv::Mat matte_;
};

TEST(RefineMaskWithLearnedMatte, ForcedAreasHoldAndTheRestFollowsTheMatte) {
    // A dark square (40..79) on a light backdrop, and a dark bar at the left
    // (x 4..11). The learned matte misses the square's right half and wrongly
    // takes the bar; the mask forces the right half in and the left third of
    // the photo out, and is unsure elsewhere.
    cv::Mat photo(120, 120, CV_8UC3, cv::Scalar(235, 235, 235));
    photo(cv::Rect(40, 40, 40, 40)).setTo(cv::Scalar(40, 60, 150));
    photo(cv::Rect(4, 20, 8, 80)).setTo(cv::Scalar(40, 60, 150));
    cv::Mat learned(60, 60, CV_8U, cv::Scalar(0));
    learned(cv::Rect(20, 20, 10, 20)).setTo(255);  // the square's left half
    learned(cv::Rect(2, 10, 4, 40)).setTo(255);    // the bar, wrongly
    // A patch of plain backdrop the matte calls subject: only the matte, not
    // the photo's colours, puts it in the answer.
    learned(cv::Rect(44, 2, 14, 14)).setTo(255);
    cv::Mat mask(120, 120, CV_8U, cv::Scalar(128));
    mask(cv::Rect(0, 0, 30, 120)).setTo(0);
    mask(cv::Rect(60, 40, 20, 40)).setTo(255);
    const HalfSizeMatte segmenter(learned);
    const cv::Mat cutOut = MakeCutOutFromMask(photo, mask, &segmenter);
    ASSERT_EQ(cutOut.size(), photo.size());
    cv::Mat alpha;
    cv::extractChannel(cutOut, alpha, 3);
    // Forced areas exactly as the mask says, the bar included.
    EXPECT_EQ(cv::countNonZero(alpha(cv::Rect(0, 0, 30, 120))), 0);
    EXPECT_EQ(cv::countNonZero(alpha(cv::Rect(60, 40, 20, 40)) != 255), 0);
    // The unsure left half of the square follows the matte: opaque inside.
    EXPECT_EQ(cv::countNonZero(alpha(cv::Rect(43, 43, 17, 34)) < 250), 0);
    EXPECT_EQ(cv::countNonZero(alpha(cv::Rect(96, 12, 12, 12)) < 250), 0);
    // The backdrop around the square is clear beyond the edge; on plain
    // backdrop the patch's outline is smoothed over a few pixels.
    cv::Mat truth(120, 120, CV_8U, cv::Scalar(0));
    truth(cv::Rect(40, 40, 40, 40)).setTo(255);
    truth(cv::Rect(82, 0, 38, 38)).setTo(255);
    cv::Mat away;
    cv::dilate(truth, away, cv::Mat::ones(5, 5, CV_8U));
    away = ~away;
    EXPECT_EQ(cv::countNonZero((alpha > 5) & away), 0);
}

FormFields SignedCutOutForm(const cv::Mat& photo) {
    std::vector<uchar> png;
    cv::imencode(".png", photo, png);
    const std::string bytes(png.begin(), png.end());
    FormFields fields = {{"alphamatting", "0"},
                         {"cutobj", "1"},
                         {"image", codec::Base64Encode(bytes)},
                         {"imagesize", std::to_string(bytes.size())},
                         {"t", "1700000000000"}};
    fields["s"] = MattingSignature(fields, kMattingApiKey);
    return fields;
}

TEST(ComputeQueue, RequestsPastTheBoundAreTurnedAwayAtOnceTheOthersFinish) {
    SegmenterChain chain;
    auto held = std::make_unique<Held>();
    Held& gateKeeper = *held;
    chain.Add(std::move(held));
    ComputeGate gate(1, 2);  // one computing, two waiting
    MattingLimits limits;
    limits.maxPhotoBytes = 1 << 20;
    limits.maxPixels = 1 << 20;
    const cv::Mat photo(24, 32, CV_8UC3, cv::Scalar(30, 90, 200));
    const FormFields form = SignedCutOutForm(photo);

    std::vector<std::future<std::string>> answers;
    answers.push_back(std::async(std::launch::async, [&] {
        return AnswerMattingForm(form, kMattingApiKey, limits, chain, gate);
    }));
    gateKeeper.WaitForEntered(1);
    for (int i = 0; i < 2; ++i) {
        answers.push_back(std::async(std::launch::async, [&] {
            return AnswerMattingForm(form, kMattingApiKey, limits, chain, gate);
        }));
    }
    while (gate.Waiting() < 2) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // The queue is full: these are answered without waiting.
    for (int i = 0; i < 3; ++i) {
        const std::string busy = AnswerMattingForm(form, kMattingApiKey, limits, chain, gate);
        EXPECT_NE(busy.find("\"result\":0"), std::string::npos) << busy;
        EXPECT_NE(busy.find("busy"), std::string::npos) << busy;
    }
    gateKeeper.Release();
    for (auto& answer : answers) {
        const std::string text = answer.get();
        EXPECT_EQ(text.rfind("{\"result\":1", 0), 0u) << text.substr(0, 80);
    }
    EXPECT_EQ(gate.Waiting(), 0);
    // Free again: a new request is computed.
    const std::string after = AnswerMattingForm(form, kMattingApiKey, limits, chain, gate);
    EXPECT_EQ(after.rfind("{\"result\":1", 0), 0u) << after.substr(0, 80);
}

TEST(ComputeQueue, NoWaitingAllowedMeansOnlyTheFreePlacesCompute) {
    ComputeGate gate(2, 0);
    const ComputeGate::Pass first(gate);
    const ComputeGate::Pass second(gate);
    EXPECT_TRUE(first.Admitted());
    EXPECT_TRUE(second.Admitted());
    const ComputeGate::Pass third(gate);
    EXPECT_FALSE(third.Admitted());
    EXPECT_EQ(gate.Waiting(), 0);
}

TEST(ComputeQueue, PlacesComeBackAfterRefusals) {
    ComputeGate gate(1, 0);
    for (int round = 0; round < 3; ++round) {
        const ComputeGate::Pass pass(gate);
        ASSERT_TRUE(pass.Admitted()) << round;
        const ComputeGate::Pass refused(gate);
        EXPECT_FALSE(refused.Admitted()) << round;
    }
}

}  // namespace
}  // namespace quillora::service
