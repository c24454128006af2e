// A small, fast check of the matting on generated scenes with known alpha:
// objects on plain backdrops must come out nearly whole. The full measure is
// the quillora-matting-eval program.

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "service/quality/MatteScore.h"
#include "service/quality/SyntheticScenes.h"
#include "service/segment/ClassicalSegmenter.h"
#include "service/segment/CutOut.h"

namespace quillora::service {
namespace {

TEST(SyntheticScenes, SameNumberGivesTheSameSceneAndAlphaHasSoftEdges) {
    const ScenePhotos none;
    const Scene a = MakeScene(SceneKind::PersonPlain, {160, 120}, 3, none);
    const Scene b = MakeScene(SceneKind::PersonPlain, {160, 120}, 3, none);
    EXPECT_EQ(cv::norm(a.photo, b.photo, cv::NORM_INF), 0);
    const cv::Mat partial = (a.alpha > 0) & (a.alpha < 255);
    EXPECT_GT(cv::countNonZero(partial), 20);
    const Scene other = MakeScene(SceneKind::PersonPlain, {160, 120}, 4, none);
    EXPECT_GT(cv::norm(a.alpha, other.alpha, cv::NORM_L1), 0);
}

TEST(SceneOutlines, HolesAndThinPartsAreReadFromTheAlpha) {
    cv::Mat disc = cv::Mat::zeros(200, 300, CV_8U);
    cv::circle(disc, {150, 100}, 60, 255, cv::FILLED);
    EXPECT_FALSE(HasHoles(disc));
    EXPECT_FALSE(HasThinParts(disc));

    cv::Mat ring = disc.clone();
    cv::circle(ring, {150, 100}, 30, 0, cv::FILLED);
    EXPECT_TRUE(HasHoles(ring));
    EXPECT_FALSE(HasThinParts(ring));  // 30 pixels of wall, far over 3 % of 200

    // A notch open to the picture's side lets the background through: no hole.
    cv::Mat bay = cv::Mat::zeros(200, 300, CV_8U);
    cv::rectangle(bay, cv::Rect(0, 20, 300, 160), 255, cv::FILLED);
    cv::rectangle(bay, cv::Rect(0, 80, 150, 40), 0, cv::FILLED);
    EXPECT_FALSE(HasHoles(bay));
    // A speck of a hole (under 1/2000 of the picture) is noise, not a hole,
    // and so is a sliver where two drawn parts meet (60 x 1 pixels).
    cv::Mat speck = disc.clone();
    speck.at<uchar>(100, 150) = 0;
    EXPECT_FALSE(HasHoles(speck));
    cv::Mat sliver = disc.clone();
    cv::rectangle(sliver, cv::Rect(120, 100, 60, 1), 0, cv::FILLED);
    EXPECT_FALSE(HasHoles(sliver));
    cv::Mat small = disc.clone();  // 12 x 12: 144 of 60,000 pixels, over 1/2000
    cv::rectangle(small, cv::Rect(144, 94, 12, 12), 0, cv::FILLED);
    EXPECT_TRUE(HasHoles(small));

    // A spoon: a disc on a handle 3 pixels wide and 120 long (360 of 11,700 pixels).
    cv::Mat spoon = disc.clone();
    cv::rectangle(spoon, cv::Rect(210, 99, 80, 3), 255, cv::FILLED);
    EXPECT_TRUE(HasThinParts(spoon));
    EXPECT_FALSE(HasThinParts(cv::Mat::zeros(10, 10, CV_8U)));
}

// The mean colour difference across a subject's outline: just inside it
// against just outside it.
double EdgeContrast(const Scene& scene) {
    const cv::Mat inside = scene.alpha == 255;
    const cv::Mat outside = scene.alpha == 0;
    cv::Mat innerBand;
    cv::Mat outerBand;
    const cv::Mat kernel = cv::getStructuringElement(cv::MORPH_ELLIPSE, {5, 5});
    cv::erode(inside, innerBand, kernel);
    innerBand = inside & ~innerBand;
    cv::erode(outside, outerBand, kernel);
    outerBand = outside & ~outerBand;
    return cv::norm(cv::mean(scene.photo, innerBand) - cv::mean(scene.photo, outerBand));
}

TEST(SyntheticScenes, ObjectsIncludeHolesThinPartsAndLowContrastEdges) {
    const ScenePhotos none;
    int holes = 0;
    int thin = 0;
    int faint = 0;
    double faintContrast = 0;
    double otherContrast = 0;
    constexpr int kScenes = 40;
    for (int i = 0; i < kScenes; ++i) {
        const Scene scene = MakeScene(SceneKind::ObjectPlain, {240, 180}, i, none);
        holes += HasHoles(scene.alpha);
        thin += HasThinParts(scene.alpha);
        if (scene.lowContrastEdge) {
            ++faint;
            faintContrast += EdgeContrast(scene);
        } else {
            otherContrast += EdgeContrast(scene);
        }
        // People never get the low-contrast treatment.
        EXPECT_FALSE(MakeScene(SceneKind::PersonPlain, {96, 72}, i, none).lowContrastEdge);
    }
    // Shapes with openings are two of eight (mugs, frames), thin ones two more.
    EXPECT_GE(holes, kScenes / 8);
    EXPECT_GE(thin, kScenes / 10);
    EXPECT_GE(faint, kScenes / 10);
    ASSERT_LT(faint, kScenes);
    // The backdrop is chosen to stand apart from the subject; a lowered edge
    // has clearly less contrast left than the others on average.
    EXPECT_LT(faintContrast / faint, 0.6 * otherContrast / (kScenes - faint));
}

TEST(MattingQuality, ObjectsOnPlainBackdropsComeOutWhole) {
    const ScenePhotos none;  // drawn textures only: no installed photos needed
    const ClassicalSegmenter segmenter;
    double iou = 0;
    constexpr int kScenes = 4;
    for (int i = 0; i < kScenes; ++i) {
        const Scene scene = MakeScene(SceneKind::ObjectPlain, {240, 180}, i, none);
        const cv::Mat cutOut = MakeCutOut(scene.photo, segmenter, Subject::Object, true);
        ASSERT_EQ(cutOut.size(), scene.photo.size());
        cv::Mat alpha;
        cv::extractChannel(cutOut, alpha, 3);
        const MatteScore score = ScoreMatte(alpha, scene.alpha);
        EXPECT_GT(score.iou, 0.8) << "scene " << i;
        iou += score.iou;
    }
    EXPECT_GT(iou / kScenes, 0.92);
}

}  // namespace
}  // namespace quillora::service
