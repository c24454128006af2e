// When the learned segmenter's answer is unsure, the classical one is asked
// and may answer instead: the measures behind that choice, checked on mattes
// whose numbers follow from their drawing.

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <memory>

#include "service/segment/MatteAgreement.h"
#include "service/segment/Segmenter.h"

namespace quillora::service {
namespace {

cv::Mat Blank(cv::Size size = {100, 80}) {
    return cv::Mat(size, CV_8U, cv::Scalar(0));
}

cv::Mat WithBox(cv::Mat matte, const cv::Rect& box, uchar value) {
    matte(box).setTo(value);
    return matte;
}

// A network torn between a small box in front and a big cup behind it: the
// box clear, the cup around it grey.
cv::Mat TornMatte() {
    cv::Mat matte = WithBox(Blank(), cv::Rect(10, 10, 80, 60), 150);  // 4800 px, 600 of them box
    return WithBox(matte, cv::Rect(40, 30, 20, 30), 255);
}

cv::Mat SmallBox(cv::Size size = {100, 80}) {
    return WithBox(Blank(size), cv::Rect(40, 30, 20, 30), 255);
}

TEST(MatteUnsureShare, CountsGreyAmongWeightedPixels) {
    EXPECT_EQ(MatteUnsureShare(Blank()), 0.0);  // nothing weighed: nothing unsure
    EXPECT_EQ(MatteUnsureShare(WithBox(Blank(), {0, 0, 50, 80}, 255)), 0.0);
    // 1600 grey pixels of 128 beside 1600 white ones: half unsure.
    cv::Mat half = WithBox(WithBox(Blank(), {0, 0, 20, 80}, 128), {20, 0, 20, 80}, 255);
    EXPECT_DOUBLE_EQ(MatteUnsureShare(half), 0.5);
    // Values under 10 % are background and do not count at all; 90 % and up are sure.
    cv::Mat faint = WithBox(WithBox(Blank(), {0, 0, 20, 80}, 25), {20, 0, 10, 80}, 230);
    EXPECT_DOUBLE_EQ(MatteUnsureShare(faint), 0.0);
    EXPECT_DOUBLE_EQ(MatteUnsureShare(TornMatte()), (4800.0 - 600) / 4800);
    EXPECT_EQ(MatteUnsureShare(cv::Mat(4, 4, CV_8UC3, cv::Scalar::all(128))), 0.0);
}

TEST(CompareMattes, OverlapContainmentAndAreaFromTheDrawing) {
    const cv::Mat a = WithBox(Blank(), {0, 0, 40, 40}, 255);   // 1600
    const cv::Mat b = WithBox(Blank(), {20, 0, 40, 40}, 255);  // 1600, 800 shared
    const MatteComparison c = CompareMattes(a, b);
    EXPECT_DOUBLE_EQ(c.overlap, 800.0 / 2400);
    EXPECT_DOUBLE_EQ(c.secondInsideFirst, 0.5);
    EXPECT_DOUBLE_EQ(c.areaRatio, 1.0);
    EXPECT_DOUBLE_EQ(c.firstUnsure, 0.0);

    // An empty second subject has no area and lies nowhere.
    const MatteComparison empty = CompareMattes(TornMatte(), Blank({50, 40}));
    EXPECT_EQ(empty.areaRatio, 0.0);
    EXPECT_EQ(empty.secondInsideFirst, 0.0);
    // The second at half the size is stretched to the first's before comparing.
    const cv::Mat halfBox = WithBox(Blank({50, 40}), {20, 15, 10, 15}, 255);
    const MatteComparison torn = CompareMattes(TornMatte(), halfBox);
    EXPECT_NEAR(torn.overlap, 600.0 / 4800, 0.02);
    EXPECT_NEAR(torn.secondInsideFirst, 1.0, 1e-9);
    EXPECT_NEAR(torn.areaRatio, 600.0 / 4800, 0.02);

    const MatteComparison none = CompareMattes(cv::Mat(), a);
    EXPECT_EQ(none.overlap, 0.0);
    EXPECT_EQ(none.secondInsideFirst, 0.0);
}

TEST(ChooseMatte, TakesTheClearerSubjectInsideAnUnsureAnswer) {
    int asked = 0;
    const cv::Mat box = SmallBox();
    const auto second = [&] {
        ++asked;
        return box;
    };
    const cv::Mat torn = TornMatte();
    const cv::Mat chosen = ChooseMatte(torn, Subject::Object, second);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(chosen.data, box.data);

    // People keep the network's answer; a sure answer is never second-guessed,
    // and the second segmenter is not even run for it.
    EXPECT_EQ(ChooseMatte(torn, Subject::Person, second).data, torn.data);
    const cv::Mat sure = WithBox(Blank(), {10, 10, 80, 60}, 255);
    EXPECT_EQ(ChooseMatte(sure, Subject::Object, second).data, sure.data);
    EXPECT_EQ(asked, 1);

    // No second answer: the first stands.
    EXPECT_EQ(ChooseMatte(torn, Subject::Object, [] { return cv::Mat(); }).data, torn.data);
    EXPECT_EQ(ChooseMatte(torn, Subject::Object, nullptr).data, torn.data);
}

TEST(ChooseMatte, KeepsTheNetworkWhenTheSecondOpinionIsLostOrAgrees) {
    const cv::Mat torn = TornMatte();
    // Something in a corner the network gives no weight to: the classical
    // answer is the lost one.
    const cv::Mat corner = WithBox(Blank(), {0, 72, 8, 8}, 255);
    EXPECT_EQ(ChooseMatte(torn, Subject::Object, [&] { return corner; }).data, torn.data);
    // Both take the whole cup: they agree, the network's answer stays.
    const cv::Mat whole = WithBox(Blank(), {10, 10, 80, 60}, 255);
    EXPECT_EQ(ChooseMatte(torn, Subject::Object, [&] { return whole; }).data, torn.data);
    // Bigger than what the network weighs: not a part of its subject.
    const cv::Mat bigger = WithBox(Blank(), {0, 0, 100, 80}, 255);
    EXPECT_EQ(ChooseMatte(torn, Subject::Object, [&] { return bigger; }).data, torn.data);

    MatteComparison c;
    c.firstUnsure = 0.9;
    c.overlap = 0.1;
    c.secondInsideFirst = 1.0;
    c.areaRatio = 0.2;
    EXPECT_TRUE(PreferSecondOpinion(c));
    c.firstUnsure = kUnsureForSecondOpinion;  // at the limit: not unsure enough
    EXPECT_FALSE(PreferSecondOpinion(c));
    c.firstUnsure = 0.9;
    c.areaRatio = 0;  // the second found nothing
    EXPECT_FALSE(PreferSecondOpinion(c));
}

// Stand-ins for the two segmenters of the service's chain.
class Named : public Segmenter {
public:
    Named(std::string_view name, cv::Mat matte, int* calls)
        : name_(name), matte_(std::move(matte)), calls_(calls) {}
    std::string_view Name() const override { return name_; }
    cv::Mat Segment(const cv::Mat&, Subject) const override {
        ++*calls_;
        return matte_.clone();
    }

private:
    std::string_view name_;
    cv::Mat matte_;
    int* calls_;
};

// A network that is sure of a subject running off the frame (a cup and
// saucer filling the photo, a cat's head) is not second-guessed, even when
// the classical segmenter picks a small part inside it (the cat's eyes).
TEST(ChooseMatte, ASureSubjectFillingTheFrameStays) {
    const cv::Mat saucer = WithBox(Blank(), {0, 20, 100, 60}, 255);
    int asked = 0;
    const cv::Mat box = SmallBox();
    EXPECT_EQ(ChooseMatte(saucer, Subject::Object,
                          [&] {
                              ++asked;
                              return box;
                          })
                  .data,
              saucer.data);
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(WantsSecondOpinion(saucer));
    EXPECT_TRUE(WantsSecondOpinion(TornMatte()));
}

TEST(SegmenterChainCheck, UnsureLearnedAnswerGivesWayOnlyToAContainedSubject) {
    const cv::Mat photo(80, 100, CV_8UC3, cv::Scalar(1, 2, 3));
    int learnedCalls = 0;
    int classicalCalls = 0;
    SegmenterChain chain;
    chain.Add(std::make_unique<Named>(kLearnedSegmenterName, TornMatte(), &learnedCalls));
    chain.Add(std::make_unique<Named>("classical", SmallBox(), &classicalCalls));
    const cv::Mat object = chain.Segment(photo, Subject::Object);
    EXPECT_EQ(cv::norm(object, SmallBox(), cv::NORM_INF), 0);
    const cv::Mat person = chain.Segment(photo, Subject::Person);
    EXPECT_EQ(cv::norm(person, TornMatte(), cv::NORM_INF), 0);
    EXPECT_EQ(learnedCalls, 2);
    // The object once; the person once too, only because this even photo is
    // a backdrop on which a fuller answer would win (the small box is not).
    EXPECT_EQ(classicalCalls, 2);

    // A first segmenter that is not the learned one is never checked.
    int otherCalls = 0;
    int nextCalls = 0;
    SegmenterChain plain;
    plain.Add(std::make_unique<Named>("classical", TornMatte(), &otherCalls));
    plain.Add(std::make_unique<Named>("other", SmallBox(), &nextCalls));
    EXPECT_EQ(cv::norm(plain.Segment(photo, Subject::Object), TornMatte(), cv::NORM_INF), 0);
    EXPECT_EQ(nextCalls, 0);
}

}  // namespace
}  // namespace quillora::service

namespace quillora::service {
namespace {

cv::Mat Filled(cv::Size size, const cv::Rect& box) {
    cv::Mat matte(size, CV_8U, cv::Scalar(0));
    matte(box).setTo(255);
    return matte;
}

TEST(PreferFullerOnBackdrop, TakesASecondSubjectHoldingTheWholeFirstAndMore) {
    const cv::Size size(100, 80);
    const cv::Mat first = Filled(size, {30, 20, 40, 40});  // 1600
    // 40 x 52 = 2080, all of the first inside: 1.3 times its area.
    EXPECT_TRUE(PreferFullerOnBackdrop(first, Filled(size, {30, 14, 40, 52})));
    // A second answer at half the size is compared at the first's size.
    EXPECT_TRUE(PreferFullerOnBackdrop(first, Filled({50, 40}, {15, 7, 20, 26})));
    // Three times as much is still a fuller subject (half a shirt lost)...
    EXPECT_TRUE(PreferFullerOnBackdrop(first, Filled(size, {10, 10, 80, 60})));
    // ... barely more (1.05 times) is no gain, and the whole picture is the
    // backdrop taken with it.
    EXPECT_FALSE(PreferFullerOnBackdrop(first, Filled(size, {30, 18, 40, 42})));
    EXPECT_FALSE(PreferFullerOnBackdrop(first, Filled(size, {0, 0, 100, 80})));
    // Bigger but leaving out a tenth of the first: another subject.
    EXPECT_FALSE(PreferFullerOnBackdrop(first, Filled(size, {34, 14, 56, 52})));
    EXPECT_FALSE(PreferFullerOnBackdrop(first, cv::Mat()));
    EXPECT_FALSE(PreferFullerOnBackdrop(cv::Mat::zeros(size, CV_8U), first));
}

// A photo whose edges are one studio colour, with an object in the middle
// whose right part is near the backdrop's colour.
cv::Mat BackdropPhoto() {
    cv::Mat photo(80, 100, CV_8UC3, cv::Scalar(200, 200, 200));
    photo(cv::Rect(30, 20, 40, 40)).setTo(cv::Scalar(40, 60, 160));
    photo(cv::Rect(70, 20, 12, 40)).setTo(cv::Scalar(180, 185, 190));
    return photo;
}

TEST(CombineAnswers, OnABackdropTakesTheFullerClassicalObject) {
    const cv::Mat photo = BackdropPhoto();
    const cv::Mat network = Filled(photo.size(), {30, 20, 40, 40});
    const cv::Mat classical = Filled(photo.size(), {30, 20, 52, 40});
    int asked = 0;
    const auto second = [&] {
        ++asked;
        return classical;
    };
    EXPECT_EQ(CombineAnswers(photo, network, Subject::Object, second).data, classical.data);
    EXPECT_EQ(asked, 1);
    // A person on a backdrop likewise (a striped shirt); a lost second
    // opinion keeps the network's answer.
    EXPECT_EQ(CombineAnswers(photo, network, Subject::Person, second).data, classical.data);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(CombineAnswers(photo, network, Subject::Object, [] { return cv::Mat(); }).data,
              network.data);
    // The same answers over a photograph: the classical one is not even asked.
    cv::Mat busy(photo.size(), CV_8UC3);
    cv::randu(busy, cv::Scalar::all(0), cv::Scalar::all(255));
    photo(cv::Rect(20, 10, 70, 60)).copyTo(busy(cv::Rect(20, 10, 70, 60)));
    asked = 0;
    const cv::Mat overBusy = CombineAnswers(busy, network, Subject::Object, second);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(cv::norm(overBusy, network, cv::NORM_INF), 0);
}

TEST(CombineAnswers, AsksTheSecondSegmenterOnceWhenBothChecksWantIt) {
    // An unsure network answer on a backdrop: the unsure check and the
    // backdrop check share one classical answer.
    const cv::Mat photo = BackdropPhoto();
    cv::Mat torn = Filled(photo.size(), {30, 20, 40, 40});
    torn(cv::Rect(30, 20, 40, 30)).setTo(128);
    int asked = 0;
    const cv::Mat fuller = Filled(photo.size(), {30, 20, 52, 40});
    const cv::Mat answer = CombineAnswers(photo, torn, Subject::Object, [&] {
        ++asked;
        return fuller;
    });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(answer.data, fuller.data);
}

}  // namespace
}  // namespace quillora::service
