// A small, fast check of the matting on generated scenes with known alpha:
// objects on plain backdrops must come out nearly whole. The full measure is
// the quillora-matting-eval program.

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <vector>

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

// Ten stand-in photographs of ten different flat colours: over a few dozen
// scenes each one shows up as a background, for objects and for people.
TEST(SyntheticScenes, EveryPhotographServesAsABackground) {
    ScenePhotos photos;
    std::vector<cv::Vec3b> colours;
    for (int i = 0; i < 10; ++i) {
        const cv::Vec3b colour(static_cast<uchar>(25 * i), static_cast<uchar>(250 - 25 * i),
                               static_cast<uchar>(i % 2 ? 40 : 200));
        colours.push_back(colour);
        photos.scenes.emplace_back(60, 80, CV_8UC3, cv::Scalar(colour[0], colour[1], colour[2]));
    }
    for (const SceneKind kind : {SceneKind::ObjectCluttered, SceneKind::PersonCluttered}) {
        std::vector<int> uses(colours.size(), 0);
        for (std::uint64_t i = 0; i < 60; ++i) {
            const Scene scene = MakeScene(kind, {80, 60}, i, photos);
            const cv::Scalar behind = cv::mean(scene.photo, scene.alpha == 0);
            int nearest = 0;
            double best = 1e9;
            for (std::size_t c = 0; c < colours.size(); ++c) {
                const double d = std::abs(behind[0] - colours[c][0]) +
                                 std::abs(behind[1] - colours[c][1]) +
                                 std::abs(behind[2] - colours[c][2]);
                if (d < best) {
                    best = d;
                    nearest = static_cast<int>(c);
                }
            }
            ASSERT_LT(best, 12) << "scene " << i << " shows no single photograph";
            ++uses[nearest];
        }
        for (std::size_t c = 0; c < uses.size(); ++c) {
            EXPECT_GT(uses[c], 0) << "photograph " << c << " never behind a "
                                  << SceneKindName(kind);
        }
    }
}

// Stand-in photographs of two flat, far-apart colours: the red ones count as
// photographs of one big subject of their own, the blue ones as scenery. What
// a scene's background shows tells which one it was cut from.
TEST(SyntheticScenes, ScenesSayWhenTheirBackgroundHasASubjectOfItsOwn) {
    const cv::Mat red(90, 120, CV_8UC3, cv::Scalar(0, 0, 220));
    const cv::Mat blue(90, 120, CV_8UC3, cv::Scalar(220, 0, 0));
    ScenePhotos photos;
    photos.scenes = {red, blue, blue, red, blue, red, blue};
    photos.withSubject = {true, false, false, true, false, true, false};
    int fromSubjectPhoto = 0;
    int fromScenery = 0;
    for (std::uint64_t i = 0; i < 16; ++i) {
        for (const SceneKind kind : {SceneKind::ObjectCluttered, SceneKind::PersonCluttered}) {
            const Scene scene = MakeScene(kind, {120, 90}, i, photos);
            // Mean colour where the subject does not reach at all.
            const cv::Scalar behind = cv::mean(scene.photo, scene.alpha == 0);
            const bool red = behind[2] > 150 && behind[0] < 60;
            const bool blue = behind[0] > 150 && behind[2] < 60;
            ASSERT_NE(red, blue) << "scene " << i << " shows neither photograph";
            EXPECT_EQ(scene.backgroundHasSubject, red) << "scene " << i;
            (red ? fromSubjectPhoto : fromScenery) += 1;
        }
    }
    EXPECT_GT(fromSubjectPhoto, 0);
    EXPECT_GT(fromScenery, 0);

    // Plain backdrops, drawn clutter and photographs not marked either way
    // have no subject of their own behind the subject.
    for (std::uint64_t i = 0; i < 4; ++i) {
        EXPECT_FALSE(MakeScene(SceneKind::ObjectPlain, {120, 90}, i, photos).backgroundHasSubject);
        EXPECT_FALSE(MakeScene(SceneKind::ObjectCluttered, {120, 90}, i, ScenePhotos{})
                         .backgroundHasSubject);
    }
    photos.withSubject.clear();
    for (std::uint64_t i = 0; i < 4; ++i) {
        EXPECT_FALSE(
            MakeScene(SceneKind::ObjectCluttered, {120, 90}, i, photos).backgroundHasSubject);
    }
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
