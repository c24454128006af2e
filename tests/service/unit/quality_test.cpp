// A small, fast check of the matting on generated scenes with known alpha:
// objects on plain backdrops must come out nearly whole. The full measure is
// the quillora-matting-eval program.

#include <gtest/gtest.h>

#include <opencv2/core.hpp>

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
