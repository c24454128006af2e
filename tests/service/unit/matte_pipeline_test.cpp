// The pieces of the cut-out on small pictures whose right answer is known by
// construction.

#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include "service/quality/MatteScore.h"
#include "service/segment/ClassicalSegmenter.h"
#include "service/segment/CutOut.h"
#include "service/segment/CutScore.h"
#include "service/segment/EdgeRefiner.h"
#include "service/segment/ForegroundColour.h"
#include "service/segment/InitialMarkers.h"
#include "service/segment/MaskCleanup.h"

namespace quillora::service {
namespace {

TEST(MatteScore, CountsOverlapAndMeanErrorByHand) {
    cv::Mat truth = (cv::Mat_<uchar>(1, 4) << 255, 255, 0, 0);
    cv::Mat alpha = (cv::Mat_<uchar>(1, 4) << 255, 128, 200, 0);
    const MatteScore score = ScoreMatte(alpha, truth);
    // alpha > 0.5 at 0, 1, 2; truth at 0, 1: overlap 2, union 3.
    EXPECT_DOUBLE_EQ(score.iou, 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(score.meanError, (0 + 127 + 200 + 0) / (255.0 * 4));
    EXPECT_DOUBLE_EQ(ScoreMatte(cv::Mat::zeros(2, 2, CV_8U), cv::Mat::zeros(2, 2, CV_8U)).iou, 1.0);
}

TEST(CleanMatte, DropsSpecksFillsSmallHolesKeepsLargeAndOpenOnes) {
    cv::Mat matte = cv::Mat::zeros(100, 100, CV_8U);
    cv::rectangle(matte, cv::Rect(10, 10, 60, 60), 255, cv::FILLED);
    matte(cv::Rect(20, 20, 2, 2)).setTo(0);    // small hole: filled
    matte(cv::Rect(40, 40, 20, 20)).setTo(0);  // large hole: background seen through
    matte(cv::Rect(90, 90, 3, 3)).setTo(255);  // speck: dropped
    cv::rectangle(matte, cv::Rect(0, 80, 30, 20), 255, cv::FILLED);  // a second part, kept
    const cv::Mat clean = CleanMatte(matte, 0.1, 0.001);
    EXPECT_EQ(clean.at<uchar>(20, 20), 255);
    EXPECT_EQ(clean.at<uchar>(50, 50), 0);
    EXPECT_EQ(clean.at<uchar>(91, 91), 0);
    EXPECT_EQ(clean.at<uchar>(90, 10), 255);
    EXPECT_EQ(cv::countNonZero(clean), 60 * 60 - 400 + 30 * 20);
}

TEST(FillFromKnown, KnownColoursStayAndGapsTakeTheirNeighbours) {
    cv::Mat image(8, 8, CV_8UC3, cv::Scalar(0, 0, 0));
    cv::Mat known = cv::Mat::zeros(8, 8, CV_8U);
    image.colRange(0, 3).setTo(cv::Scalar(10, 100, 200));
    known.colRange(0, 3).setTo(255);
    const cv::Mat filled = FillFromKnown(image, known);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const cv::Vec3f v = filled.at<cv::Vec3f>(y, x);
            EXPECT_NEAR(v[0], 10, 0.01);
            EXPECT_NEAR(v[1], 100, 0.01);
            EXPECT_NEAR(v[2], 200, 0.01);
        }
    }
}

TEST(ComposeCutOut, OpaqueKeepsColourClearIsZeroAndPartialLosesTheBackground) {
    // Subject red, background blue; the middle column is a 40 % subject mix.
    const cv::Vec3b red(0, 0, 220);
    const cv::Vec3b blue(200, 40, 0);
    cv::Mat photo(20, 20, CV_8UC3);
    cv::Mat alpha(20, 20, CV_8U);
    for (int x = 0; x < 20; ++x) {
        const double a = x < 10 ? 1.0 : x == 10 ? 0.4 : 0.0;
        const cv::Vec3b mixed = red * a + blue * (1 - a);
        photo.col(x).setTo(cv::Scalar(mixed[0], mixed[1], mixed[2]));
        alpha.col(x).setTo(cvRound(a * 255));
    }
    const cv::Mat cutOut = ComposeCutOut(photo, alpha, alpha);
    EXPECT_EQ(cutOut.at<cv::Vec4b>(5, 3), cv::Vec4b(0, 0, 220, 255));
    EXPECT_EQ(cutOut.at<cv::Vec4b>(5, 15), cv::Vec4b(0, 0, 0, 0));
    const cv::Vec4b edge = cutOut.at<cv::Vec4b>(5, 10);
    EXPECT_EQ(edge[3], 102);
    // The photo there is (120, 24, 88); the subject's own red comes back.
    EXPECT_NEAR(edge[0], 0, 8);
    EXPECT_NEAR(edge[1], 0, 8);
    EXPECT_NEAR(edge[2], 220, 8);
}

cv::Mat StepPhoto(cv::Size size, int edge) {
    cv::Mat photo(size, CV_8UC3, cv::Scalar(20, 20, 20));
    photo.colRange(edge, size.width).setTo(cv::Scalar(230, 230, 230));
    return photo;
}

TEST(EdgeRefiner, HardEdgeLandsOnThePhotosOwnEdgeAtFullSize) {
    // At a quarter of the size the edge falls inside a coarse pixel; the
    // full-size answer must still put it exactly on column 103.
    const cv::Mat photo = StepPhoto({200, 80}, 103);
    cv::Mat coarse = cv::Mat::zeros(20, 50, CV_8U);
    coarse.colRange(26, 50).setTo(255);
    const cv::Mat alpha = RefineMatteToFullSize(photo, coarse, false);
    ASSERT_EQ(alpha.size(), photo.size());
    for (int y = 0; y < alpha.rows; y += 7) {
        EXPECT_EQ(alpha.at<uchar>(y, 102), 0) << y;
        EXPECT_EQ(alpha.at<uchar>(y, 103), 255) << y;
        EXPECT_EQ(cv::countNonZero(alpha.row(y)), 200 - 103) << y;
    }
}

TEST(EdgeRefiner, SoftEdgeFollowsAMixedColumn) {
    cv::Mat photo = StepPhoto({200, 80}, 104);
    photo.col(103).setTo(cv::Scalar(125, 125, 125));  // half covered
    cv::Mat coarse = cv::Mat::zeros(20, 50, CV_8U);
    coarse.colRange(26, 50).setTo(255);
    const cv::Mat alpha = RefineMatteToFullSize(photo, coarse, true);
    EXPECT_LE(alpha.at<uchar>(40, 101), 8);
    EXPECT_NEAR(alpha.at<uchar>(40, 103), 128, 20);
    EXPECT_GE(alpha.at<uchar>(40, 106), 247);
    // Far from the outline the coarse answer stands whatever the colours.
    EXPECT_EQ(alpha.at<uchar>(40, 5), 0);
    EXPECT_EQ(alpha.at<uchar>(40, 195), 255);
}

TEST(EdgeRefiner, FlatGuideGivesNoColourDependence) {
    const cv::Mat guide(10, 10, CV_8UC3, cv::Scalar(50, 60, 70));
    const cv::Mat coarse(10, 10, CV_8U, cv::Scalar(255));
    const cv::Mat k = GuidedCoefficients(guide, coarse, 2, 1e-3);
    const cv::Vec4f v = k.at<cv::Vec4f>(5, 5);
    EXPECT_NEAR(v[0], 0, 1e-4);
    EXPECT_NEAR(v[1], 0, 1e-4);
    EXPECT_NEAR(v[2], 0, 1e-4);
    EXPECT_NEAR(v[3], 1, 1e-4);
}

TEST(HeadAndShoulders, HangsFromTheFace) {
    cv::Mat labels(200, 200, CV_8U, cv::Scalar(cv::GC_PR_BGD));
    DrawHeadAndShoulders(labels, cv::Rect(80, 40, 40, 50));
    EXPECT_EQ(labels.at<uchar>(65, 100), cv::GC_FGD);     // middle of the face
    EXPECT_EQ(labels.at<uchar>(190, 100), cv::GC_FGD);    // chest column
    EXPECT_EQ(labels.at<uchar>(190, 40), cv::GC_PR_FGD);  // shoulder
    EXPECT_EQ(labels.at<uchar>(5, 5), cv::GC_BGD);        // far corner above
    EXPECT_EQ(labels.at<uchar>(20, 100), cv::GC_PR_FGD);  // hair above the face
}

TEST(CutScore, TheTrueOutlineBeatsAShiftedOne) {
    cv::Mat photo(120, 160, CV_8UC3);
    cv::randu(photo, cv::Scalar(60, 90, 30), cv::Scalar(110, 140, 80));  // grass-like
    cv::Mat truth = cv::Mat::zeros(photo.size(), CV_8U);
    cv::circle(truth, {80, 60}, 30, 255, cv::FILLED);
    photo.setTo(cv::Scalar(200, 40, 160), truth);
    cv::Mat shifted = cv::Mat::zeros(photo.size(), CV_8U);
    cv::circle(shifted, {95, 60}, 30, 255, cv::FILLED);
    EXPECT_GT(ScoreCut(photo, truth, false), ScoreCut(photo, shifted, false));
    EXPECT_EQ(ScoreCut(photo, cv::Mat::zeros(photo.size(), CV_8U), false), 0);
}

TEST(CutOutFromMask, BinaryMaskIsAppliedExactly) {
    cv::Mat photo(30, 40, CV_8UC3);
    cv::randu(photo, cv::Scalar::all(0), cv::Scalar::all(256));
    cv::Mat mask = cv::Mat::zeros(15, 20, CV_8U);  // half size: stretched
    mask(cv::Rect(5, 3, 8, 6)).setTo(255);
    const cv::Mat cutOut = MakeCutOutFromMask(photo, mask);
    ASSERT_EQ(cutOut.size(), photo.size());
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 10 && x < 26 && y >= 6 && y < 18;
            const cv::Vec4b pixel = cutOut.at<cv::Vec4b>(y, x);
            const cv::Vec3b source = photo.at<cv::Vec3b>(y, x);
            if (inside) {
                EXPECT_EQ(pixel, cv::Vec4b(source[0], source[1], source[2], 255)) << x << "," << y;
            } else {
                EXPECT_EQ(pixel, cv::Vec4b(0, 0, 0, 0)) << x << "," << y;
            }
        }
    }
}

TEST(CutOutFromMask, UnsureBandIsDecidedByThePhoto) {
    // A dark square on a light backdrop; the mask is sure only of the
    // square's middle and the far background, unsure in a wide band.
    cv::Mat photo(120, 120, CV_8UC3, cv::Scalar(235, 235, 235));
    photo(cv::Rect(40, 40, 40, 40)).setTo(cv::Scalar(40, 60, 150));
    cv::Mat mask(120, 120, CV_8U, cv::Scalar(0));
    mask(cv::Rect(25, 25, 70, 70)).setTo(100);
    mask(cv::Rect(50, 50, 20, 20)).setTo(255);
    const cv::Mat cutOut = MakeCutOutFromMask(photo, mask);
    cv::Mat alpha;
    cv::extractChannel(cutOut, alpha, 3);
    cv::Mat truth = cv::Mat::zeros(120, 120, CV_8U);
    truth(cv::Rect(40, 40, 40, 40)).setTo(255);
    EXPECT_GT(ScoreMatte(alpha, truth).iou, 0.95);
}

TEST(ClassicalSegmenter, SamePhotoGivesTheSameMatte) {
    cv::Mat photo(150, 200, CV_8UC3, cv::Scalar(200, 210, 220));
    cv::ellipse(photo, {100, 75}, {45, 35}, 20, 0, 360, cv::Scalar(30, 120, 200), cv::FILLED);
    const ClassicalSegmenter segmenter;
    const cv::Mat first = segmenter.Segment(photo, Subject::Object);
    const cv::Mat second = segmenter.Segment(photo, Subject::Object);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(cv::norm(first, second, cv::NORM_INF), 0);
}

TEST(ClassicalSegmenter, TinyAndThinPhotosGiveAFullSizeAnswer) {
    const ClassicalSegmenter segmenter;
    for (const cv::Size size :
         {cv::Size(1, 1), cv::Size(3, 2), cv::Size(1, 40), cv::Size(700, 2)}) {
        cv::Mat photo(size, CV_8UC3);
        cv::randu(photo, cv::Scalar::all(0), cv::Scalar::all(256));
        for (const Subject subject : {Subject::Object, Subject::Person}) {
            const cv::Mat cutOut = MakeCutOut(photo, segmenter, subject, true);
            ASSERT_EQ(cutOut.size(), size) << size;
            EXPECT_EQ(cutOut.type(), CV_8UC4);
        }
    }
}

TEST(ClassicalSegmenter, RefusesWhatIsNotAColourPhoto) {
    const ClassicalSegmenter segmenter;
    EXPECT_TRUE(segmenter.Segment(cv::Mat(), Subject::Object).empty());
    EXPECT_TRUE(segmenter.Segment(cv::Mat(10, 10, CV_8UC1), Subject::Object).empty());
    EXPECT_TRUE(MakeCutOut(cv::Mat(), segmenter, Subject::Person, true).empty());
}

}  // namespace
}  // namespace quillora::service
