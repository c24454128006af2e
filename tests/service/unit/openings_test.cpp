// Openings in a learned object that show a busy background: a ring drawn on
// a colourful background, with a stand-in network answer that fills the
// ring's middle. The truth follows from the drawing.

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <memory>

#include "service/segment/Openings.h"
#include "service/segment/Segmenter.h"

namespace quillora::service {
namespace {

const cv::Size kSize(240, 180);
const cv::Point kCentre(120, 90);
constexpr int kOuter = 60;
constexpr int kInner = 30;

// A woven-looking texture: diagonal stripes, 6 pixels each, cycling
// through four colours, so every part of it has the same colours.
cv::Mat BusyBackground() {
    const cv::Vec3b colours[] = {{40, 150, 90}, {30, 100, 160}, {110, 180, 120}, {70, 60, 60}};
    cv::Mat picture(kSize, CV_8UC3);
    for (int y = 0; y < kSize.height; ++y) {
        for (int x = 0; x < kSize.width; ++x) {
            picture.at<cv::Vec3b>(y, x) = colours[((x + y) / 6) % 4];
        }
    }
    return picture;
}

cv::Mat Disc(int radius) {
    cv::Mat mask = cv::Mat::zeros(kSize, CV_8U);
    cv::circle(mask, kCentre, radius, 255, cv::FILLED);
    return mask;
}

// A dark blue ring over `background`, the middle showing the background.
cv::Mat RingPhoto(const cv::Mat& background) {
    cv::Mat photo = background.clone();
    photo.setTo(cv::Scalar(120, 40, 20), Disc(kOuter) & ~Disc(kInner));
    return photo;
}

double Share(const cv::Mat& where, const cv::Mat& mask) {
    return double(cv::countNonZero(where & mask)) / cv::countNonZero(mask);
}

TEST(OpenEnclosedBackground, GivesAFilledOpeningBackToABusyBackground) {
    const cv::Mat photo = RingPhoto(BusyBackground());
    const cv::Mat filled = Disc(kOuter);  // the network took the middle too
    const cv::Mat opened = OpenEnclosedBackground(photo, filled);
    ASSERT_EQ(opened.size(), filled.size());
    // The middle, away from its rim, is background again; the ring stays whole.
    EXPECT_GT(Share(opened < 127, Disc(kInner - 3)), 0.95);
    EXPECT_GT(Share(opened >= 127, Disc(kOuter - 3) & ~Disc(kInner + 3)), 0.99);
    EXPECT_EQ(cv::countNonZero((opened >= 127) & ~filled), 0);  // nothing added

    // A coarse matte at another size than the photo is opened at its own size.
    cv::Mat half;
    cv::resize(filled, half, {kSize.width / 2, kSize.height / 2}, 0, 0, cv::INTER_AREA);
    const cv::Mat openedHalf = OpenEnclosedBackground(photo, half);
    ASSERT_EQ(openedHalf.size(), half.size());
    cv::Mat middle = cv::Mat::zeros(half.size(), CV_8U);
    cv::circle(middle, kCentre / 2, kInner / 2 - 3, 255, cv::FILLED);
    EXPECT_GT(Share(openedHalf < 127, middle), 0.95);
}

TEST(OpenEnclosedBackground, LeavesPlainBackdropsAndTheirLabelsAlone) {
    // A white ring opening on a white backdrop looks just like a white label
    // on a product: nothing is opened there.
    cv::Mat backdrop(kSize, CV_8UC3, cv::Scalar(235, 235, 235));
    const cv::Mat photo = RingPhoto(backdrop);
    const cv::Mat filled = Disc(kOuter);
    const cv::Mat answer = OpenEnclosedBackground(photo, filled);
    EXPECT_EQ(answer.data, filled.data);
    EXPECT_FALSE(BusySurroundings(photo, filled));
    EXPECT_TRUE(BusySurroundings(RingPhoto(BusyBackground()), filled));
}

TEST(PlainBorder, StudioBackdropWithFallOffAndNoiseAgainstPhotographs) {
    // A backdrop darkening by 10 % from left to right, with noise.
    cv::Mat backdrop(kSize, CV_8UC3);
    for (int x = 0; x < kSize.width; ++x) {
        const double fall = 1.0 - 0.10 * x / (kSize.width - 1);
        backdrop.col(x).setTo(cv::Scalar(210 * fall, 190 * fall, 170 * fall));
    }
    cv::Mat noise(kSize, CV_16SC3);
    cv::RNG(3).fill(noise, cv::RNG::NORMAL, 0, 2);
    cv::Mat noisy;
    backdrop.convertTo(noisy, CV_16SC3);
    noisy += noise;
    noisy.convertTo(backdrop, CV_8UC3);
    EXPECT_TRUE(PlainBorder(RingPhoto(backdrop)));
    EXPECT_FALSE(PlainBorder(RingPhoto(BusyBackground())));
    // A soft, blurred photograph is not a backdrop either.
    cv::Mat blurred;
    cv::GaussianBlur(BusyBackground(), blurred, cv::Size(), 4);
    EXPECT_FALSE(PlainBorder(blurred));
    // A figure running off the bottom edge does not make the backdrop busy,
    // when its matte says where it is; most of the edges must be left.
    cv::Mat figure = backdrop.clone();
    const cv::Rect shirt(60, 100, 120, 80);
    BusyBackground()(shirt).copyTo(figure(shirt));
    cv::Mat figureMatte = cv::Mat::zeros(kSize, CV_8U);
    figureMatte(shirt).setTo(255);
    EXPECT_FALSE(PlainBorder(figure));
    EXPECT_TRUE(PlainBorder(figure, figureMatte));
    cv::Mat half;
    cv::resize(figureMatte, half, {kSize.width / 2, kSize.height / 2}, 0, 0, cv::INTER_AREA);
    EXPECT_TRUE(PlainBorder(figure, half));
    EXPECT_FALSE(PlainBorder(figure, cv::Mat(kSize, CV_8U, cv::Scalar(255))));
    EXPECT_FALSE(PlainBorder(cv::Mat()));
    EXPECT_FALSE(PlainBorder(cv::Mat(kSize, CV_8U, cv::Scalar(4))));
}

TEST(OpenEnclosedBackground, KeepsAPartWhoseColourIsNotSeenAroundTheObject) {
    // An orange object with a white strap across its middle, on the busy
    // background, with white walls left and right of it further away than
    // the strap's neighbourhood reaches: GrabCut's background colours are
    // half white, but white is nowhere near the strap.
    cv::Mat background = BusyBackground();
    background.colRange(0, 70).setTo(cv::Scalar(250, 250, 250));
    background.colRange(170, kSize.width).setTo(cv::Scalar(250, 250, 250));
    cv::Mat photo = background.clone();
    const cv::Rect object(80, 50, 80, 80);
    const cv::Rect strap(112, 62, 16, 56);
    photo(object).setTo(cv::Scalar(40, 110, 230));
    photo(strap).setTo(cv::Scalar(250, 250, 250));
    cv::Mat matte = cv::Mat::zeros(kSize, CV_8U);
    matte(object).setTo(255);
    const cv::Mat answer = OpenEnclosedBackground(photo, matte);
    EXPECT_EQ(cv::countNonZero(answer(strap) < 127), 0);

    // The same strap in the background's own colours is an opening.
    photo(strap).setTo(cv::Scalar(0));
    background(strap).copyTo(photo(strap));
    const cv::Mat seeThrough = OpenEnclosedBackground(photo, matte);
    EXPECT_GT(Share(seeThrough < 127,
                    [&] {
                        cv::Mat inner = cv::Mat::zeros(kSize, CV_8U);
                        inner(cv::Rect(strap.x + 2, strap.y + 2, strap.width - 4, strap.height - 4))
                            .setTo(255);
                        return inner;
                    }()),
              0.9);
}

TEST(OpenEnclosedBackground, OnlyEnclosedPiecesOfSensibleSize) {
    const cv::Mat busy = BusyBackground();
    // A notch open to the outside (a C shape): the network's filled disc is
    // left for the edge refinement, no piece of it is cut out.
    cv::Mat photo = busy.clone();
    const cv::Mat c = Disc(kOuter) & ~Disc(kInner);
    cv::Mat cShape = c.clone();
    cShape(cv::Rect(kCentre.x, kCentre.y - 12, kOuter + 1, 24)).setTo(0);
    photo.setTo(cv::Scalar(120, 40, 20), cShape);
    const cv::Mat filled = Disc(kOuter);
    const cv::Mat answer = OpenEnclosedBackground(photo, filled);
    EXPECT_EQ(cv::countNonZero((answer < 127) & Disc(kOuter - 2)), 0);

    // An opening that would take most of the object is not trusted.
    cv::Mat thin = busy.clone();
    thin.setTo(cv::Scalar(120, 40, 20), Disc(kOuter) & ~Disc(kOuter - 4));
    EXPECT_EQ(OpenEnclosedBackground(thin, filled).data, filled.data);

    // Input it cannot use comes back untouched.
    EXPECT_TRUE(OpenEnclosedBackground(cv::Mat(), filled).data == filled.data);
    EXPECT_TRUE(OpenEnclosedBackground(photo, cv::Mat()).empty());
    const cv::Mat grey(kSize, CV_8U, cv::Scalar(9));
    EXPECT_EQ(OpenEnclosedBackground(grey, filled).data, filled.data);
    const cv::Mat nothing = cv::Mat::zeros(kSize, CV_8U);
    EXPECT_EQ(OpenEnclosedBackground(photo, nothing).data, nothing.data);
}

// Stand-ins for the chain's two segmenters.
class Fixed : public Segmenter {
public:
    Fixed(std::string_view name, cv::Mat matte) : name_(name), matte_(std::move(matte)) {}
    std::string_view Name() const override { return name_; }
    cv::Mat Segment(const cv::Mat&, Subject) const override { return matte_.clone(); }

private:
    std::string_view name_;
    cv::Mat matte_;
};

TEST(SegmenterChainOpenings, TheLearnedObjectIsOpenedNotAPersonNorTheClassicalAnswer) {
    const cv::Mat photo = RingPhoto(BusyBackground());
    SegmenterChain chain;
    chain.Add(std::make_unique<Fixed>(kLearnedSegmenterName, Disc(kOuter)));
    chain.Add(std::make_unique<Fixed>("classical", Disc(kOuter)));
    EXPECT_GT(Share(chain.Segment(photo, Subject::Object) < 127, Disc(kInner - 3)), 0.95);
    EXPECT_EQ(cv::countNonZero((chain.Segment(photo, Subject::Person) < 127) & Disc(kOuter)), 0);

    SegmenterChain classicalOnly;
    classicalOnly.Add(std::make_unique<Fixed>("classical", Disc(kOuter)));
    EXPECT_EQ(
        cv::countNonZero((classicalOnly.Segment(photo, Subject::Object) < 127) & Disc(kOuter)), 0);
}

}  // namespace
}  // namespace quillora::service
