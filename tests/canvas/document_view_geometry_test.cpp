#include <gtest/gtest.h>

#include "canvas/document/ViewGeometry.h"

namespace quillora::canvas {
namespace {

constexpr float kRectTolerance = 1e-3f;

void ExpectRectNear(const RectF& r, float x, float y, float w, float h) {
    EXPECT_NEAR(r.x, x, kRectTolerance);
    EXPECT_NEAR(r.y, y, kRectTolerance);
    EXPECT_NEAR(r.w, w, kRectTolerance);
    EXPECT_NEAR(r.h, h, kRectTolerance);
}

ViewGeometry Fitted(int w, int h, int cw, int ch) {
    ViewGeometry g;
    g.SetImageSize(w, h);
    g.SetClientSize(cw, ch);
    g.SetAllScales(g.CurrentFitScale());
    g.LayoutAll();
    g.SelectPage(EditMode::CutOut);
    return g;
}

ViewGeometry AtScale(int w, int h, int cw, int ch, float s) {
    ViewGeometry g;
    g.SetImageSize(w, h);
    g.SetClientSize(cw, ch);
    g.SetAllScales(s);
    g.LayoutAll();
    g.SelectPage(EditMode::CutOut);
    return g;
}

PointF Centre(const RectF& r) {
    return {r.x + r.w * 0.5f, r.y + r.h * 0.5f};
}

TEST(ViewGeometryFit, SmallPictureIsEnlargedToTen) {
    EXPECT_FLOAT_EQ(ViewGeometry::FitScale(100, 50, 1000, 1000), 10.0f);
}

TEST(ViewGeometryFit, LargePictureTruncatesToTwoDecimals) {
    // min(800 / 3000, 600 / 2000) = 0.2666..., truncated, not rounded.
    EXPECT_FLOAT_EQ(ViewGeometry::FitScale(3000, 2000, 800, 600), 0.26f);
    EXPECT_FLOAT_EQ(ViewGeometry::FitScale(2000, 3000, 800, 600), 0.2f);
    EXPECT_FLOAT_EQ(ViewGeometry::FitScale(799, 600, 800, 600), 1.0f);
    EXPECT_FLOAT_EQ(ViewGeometry::FitScale(801, 600, 800, 600), 0.99f);
}

TEST(ViewGeometryFit, NeverZero) {
    // 800 / 100000 = 0.008 would truncate to 0 and make every conversion a
    // division by zero.
    EXPECT_FLOAT_EQ(ViewGeometry::FitScale(100000, 10, 800, 600), 0.01f);
    EXPECT_FLOAT_EQ(ViewGeometry::FitScale(400, 300, 0, 0), 0.01f);
}

TEST(ViewGeometryLayout, FittedPhotoIsCentred) {
    const ViewGeometry g = Fitted(3000, 2000, 800, 600);
    for (int m = 0; m < kEditModeCount; ++m) {
        ExpectRectNear(g.PageRect(static_cast<EditMode>(m)), 10.0f, 40.0f, 780.0f, 520.0f);
        EXPECT_FLOAT_EQ(g.PageScale(static_cast<EditMode>(m)), 0.26f);
    }
    // The view bitmaps are whole pixels even though 2000 x 0.26f is 519.99997.
    EXPECT_EQ(g.ViewWidth(), 780);
    EXPECT_EQ(g.ViewHeight(), 520);
}

TEST(ViewGeometryLayout, AxisLargerThanClientUsesPanOffset) {
    ViewGeometry g = AtScale(2000, 100, 800, 600, 1.0f);
    ExpectRectNear(g.PageRect(EditMode::CutOut), 0.0f, 250.0f, 2000.0f, 100.0f);
    g.SetPanOffset({-7.0f, -9.0f});
    g.LayoutAll();
    // Only the overflowing axis takes the offset.
    ExpectRectNear(g.PageRect(EditMode::ShadowBorder), -7.0f, 250.0f, 2000.0f, 100.0f);
}

TEST(ViewGeometryZoom, RefusedAboveTwoAndStepsDownFromTen) {
    ViewGeometry g = Fitted(100, 50, 1000, 1000);
    EXPECT_FALSE(g.ZoomIn(EditMode::CutOut));
    EXPECT_FLOAT_EQ(g.Scale(), 10.0f);
    EXPECT_TRUE(g.ZoomOut(EditMode::CutOut));
    EXPECT_FLOAT_EQ(g.Scale(), 9.9f);
    EXPECT_FLOAT_EQ(g.PageScale(EditMode::CutOut), 9.9f);
    // Only the cut-out page zooms; the other pages keep the fit scale.
    EXPECT_FLOAT_EQ(g.PageScale(EditMode::ShadowBorder), 10.0f);
}

TEST(ViewGeometryZoom, RefusalTestsTheCurrentValue) {
    ViewGeometry g = AtScale(400, 300, 800, 600, 1.95f);
    EXPECT_TRUE(g.ZoomIn(EditMode::CutOut));
    EXPECT_NEAR(g.Scale(), 2.05f, 1e-6f);
    EXPECT_FALSE(g.ZoomIn(EditMode::CutOut));
    EXPECT_NEAR(g.Scale(), 2.05f, 1e-6f);

    ViewGeometry exact = AtScale(400, 300, 800, 600, 2.0f);
    EXPECT_FALSE(exact.ZoomIn(EditMode::CutOut));
    ViewGeometry nearly = AtScale(400, 300, 800, 600, 1.999995f);
    EXPECT_FALSE(nearly.ZoomIn(EditMode::CutOut));
    ViewGeometry below = AtScale(400, 300, 800, 600, 1.9999f);
    EXPECT_TRUE(below.ZoomIn(EditMode::CutOut));
}

TEST(ViewGeometryZoom, ZoomOutStopsAtOneTenth) {
    ViewGeometry g = AtScale(400, 300, 800, 600, 0.1f);
    EXPECT_FALSE(g.ZoomOut(EditMode::CutOut));
    EXPECT_FLOAT_EQ(g.Scale(), 0.1f);

    ViewGeometry low = AtScale(400, 300, 800, 600, 0.15f);
    EXPECT_TRUE(low.ZoomOut(EditMode::CutOut));
    EXPECT_NEAR(low.Scale(), 0.05f, 1e-6f);
    EXPECT_FALSE(low.ZoomOut(EditMode::CutOut));
}

TEST(ViewGeometryZoom, KeepsTheCentreAndRemembersTheOldRectangle) {
    ViewGeometry g = AtScale(400, 300, 800, 600, 1.0f);
    const RectF before = g.PageRect(EditMode::CutOut);
    ExpectRectNear(before, 200.0f, 150.0f, 400.0f, 300.0f);
    ASSERT_TRUE(g.ZoomIn(EditMode::CutOut));
    // 440 x 330 about the same centre (400, 300).
    ExpectRectNear(g.PageRect(EditMode::CutOut), 180.0f, 135.0f, 440.0f, 330.0f);
    EXPECT_EQ(g.PreviousRect(), before);

    g.PanBy(EditMode::CutOut, 30.0f, -20.0f);
    const PointF moved = Centre(g.PageRect(EditMode::CutOut));
    ASSERT_TRUE(g.ZoomOut(EditMode::CutOut));
    ASSERT_TRUE(g.ZoomOut(EditMode::CutOut));
    const PointF after = Centre(g.PageRect(EditMode::CutOut));
    EXPECT_NEAR(after.x, moved.x, kRectTolerance);
    EXPECT_NEAR(after.y, moved.y, kRectTolerance);
    EXPECT_NEAR(g.PageRect(EditMode::CutOut).w, 400.0f * 0.9f, kRectTolerance);
}

TEST(ViewGeometryZoom, FitButtonGoesBackToTheFitScaleNotToOne) {
    ViewGeometry g = Fitted(3000, 2000, 800, 600);
    ASSERT_TRUE(g.ZoomIn(EditMode::CutOut));
    ASSERT_TRUE(g.ZoomIn(EditMode::CutOut));
    ASSERT_TRUE(g.ZoomToFit(EditMode::CutOut));
    EXPECT_FLOAT_EQ(g.Scale(), 0.26f);
    ExpectRectNear(g.PageRect(EditMode::CutOut), 10.0f, 40.0f, 780.0f, 520.0f);
}

TEST(ViewGeometryZoom, OtherPagesRefuseEveryZoom) {
    for (EditMode m : {EditMode::ShadowBorder, EditMode::FilterToning, EditMode::ChangeBackground,
                       EditMode::ChangeSize}) {
        ViewGeometry g = Fitted(400, 300, 800, 600);
        g.SelectPage(m);
        const RectF before = g.PageRect(m);
        EXPECT_FALSE(g.ZoomIn(m));
        EXPECT_FALSE(g.ZoomOut(m));
        EXPECT_FALSE(g.ZoomToFit(m));
        EXPECT_FLOAT_EQ(g.Scale(), 2.0f);
        EXPECT_EQ(g.PageRect(m), before);
        EXPECT_EQ(g.PageRect(EditMode::CutOut), before);
    }
}

TEST(ViewGeometryPan, MovesOnlyThatPageAndKeepsThePreviousRectangle) {
    ViewGeometry g = AtScale(400, 300, 800, 600, 1.0f);
    g.PanBy(EditMode::CutOut, 12.0f, -5.0f);
    ExpectRectNear(g.PageRect(EditMode::CutOut), 212.0f, 145.0f, 400.0f, 300.0f);
    ExpectRectNear(g.PreviousRect(), 200.0f, 150.0f, 400.0f, 300.0f);
    ExpectRectNear(g.PageRect(EditMode::ShadowBorder), 200.0f, 150.0f, 400.0f, 300.0f);
}

TEST(ViewGeometryCoordinates, WindowAndImageAreInverse) {
    ViewGeometry g = Fitted(3000, 2000, 800, 600);
    // (10 + 100 x 0.26, 40 + 50 x 0.26) = (36, 53)
    const PointF image = g.WindowToImage({36.0f, 53.0f});
    EXPECT_NEAR(image.x, 100.0f, 1e-3f);
    EXPECT_NEAR(image.y, 50.0f, 1e-3f);
    const PointF window = g.ImageToWindow({100.0f, 50.0f});
    EXPECT_NEAR(window.x, 36.0f, 1e-3f);
    EXPECT_NEAR(window.y, 53.0f, 1e-3f);
    // No clamping: points left of the picture give negative image positions.
    EXPECT_LT(g.WindowToImage({0.0f, 0.0f}).x, 0.0f);
}

TEST(Geometry, UnionCoveringAndViewPixels) {
    const RectF u = UnionRect({10, 10, 5, 5}, {0, 20, 3, 1});
    EXPECT_EQ(u, (RectF{0, 10, 15, 11}));
    EXPECT_EQ(UnionRect({}, {1, 2, 3, 4}), (RectF{1, 2, 3, 4}));
    EXPECT_EQ(CoveringRect({10.5f, 2.0f, 4.0f, 3.25f}, 10), (RectI{0, -8, 25, 24}));
    EXPECT_EQ(IntersectRect({0, 0, 10, 10}, {5, -5, 10, 10}), (RectI{5, 0, 5, 5}));
    EXPECT_TRUE(IntersectRect({0, 0, 10, 10}, {10, 0, 5, 5}).IsEmpty());
    EXPECT_EQ(ViewPixels(2000.0f * 0.26f), 520);
    EXPECT_EQ(ViewPixels(12.5f), 12);
    EXPECT_EQ(ViewPixels(0.99f), 0);
    EXPECT_EQ(ViewPixels(-3.0f), 0);
}

}  // namespace
}  // namespace quillora::canvas
