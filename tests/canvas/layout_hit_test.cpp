#include <gtest/gtest.h>

#include "canvas/layout/HitTest.h"

namespace quillora::canvas {
namespace {

// A 200 x 100 box at (50, 40) of a view whose corner is at (10, 20) in the
// window: left 60, top 60, right 260, bottom 160 in client pixels.
const RectF kBox{50.0f, 40.0f, 200.0f, 100.0f};
const PointF kOrigin{10.0f, 20.0f};

LayoutHit Hit(int x, int y, bool interiorMoves = true) {
    return HitTestBox(kBox, kOrigin, {x, y}, interiorMoves);
}

TEST(LayoutHitTest, InteriorStartsThirtyInside) {
    EXPECT_EQ(Hit(90, 90), LayoutHit::Move);    // left + 30, top + 30: inclusive
    EXPECT_EQ(Hit(230, 130), LayoutHit::Move);  // right - 30, bottom - 30
    EXPECT_EQ(Hit(160, 110), LayoutHit::Move);
    EXPECT_EQ(Hit(89, 110), LayoutHit::None);  // inside the box, but in the edge band
    EXPECT_EQ(Hit(160, 110, false), LayoutHit::None);
}

TEST(LayoutHitTest, CornersReachThirtyEitherWay) {
    EXPECT_EQ(Hit(60, 60), LayoutHit::TopLeft);
    EXPECT_EQ(Hit(31, 31), LayoutHit::TopLeft);
    EXPECT_EQ(Hit(30, 60), LayoutHit::None);  // exactly 30 outside: not inside the reach
    EXPECT_EQ(Hit(89, 89), LayoutHit::TopLeft);
    EXPECT_EQ(Hit(60, 160), LayoutHit::BottomLeft);
    EXPECT_EQ(Hit(260, 160), LayoutHit::BottomRight);
    EXPECT_EQ(Hit(289, 189), LayoutHit::BottomRight);
    EXPECT_EQ(Hit(290, 160), LayoutHit::None);
}

TEST(LayoutHitTest, TopRightHandleReachesSixtyInsideAndAbove) {
    EXPECT_EQ(Hit(260, 60), LayoutHit::TopRight);
    EXPECT_EQ(Hit(201, 70), LayoutHit::TopRight);  // 59 inside the right edge
    EXPECT_EQ(Hit(200, 70), LayoutHit::None);      // 60 inside: out of reach
    EXPECT_EQ(Hit(250, 1), LayoutHit::TopRight);   // 59 above the top edge
    EXPECT_EQ(Hit(250, 0), LayoutHit::None);
    EXPECT_EQ(Hit(289, 89), LayoutHit::TopRight);
    EXPECT_EQ(Hit(290, 60), LayoutHit::None);  // 30 outside on the right
    // The other corners keep their 30: 59 inside the left edge is not a handle.
    EXPECT_EQ(Hit(119, 70), LayoutHit::None);
}

TEST(LayoutHitTest, RightAndBottomEdgesAreTruncated) {
    // left 10.6 + 100.8 = 111.4 truncates to 111.
    const RectF box{0.6f, 0.0f, 100.8f, 100.0f};
    EXPECT_EQ(HitTestBox(box, {10.0f, 0.0f}, {140, 129}, true), LayoutHit::BottomRight);
    EXPECT_EQ(HitTestBox(box, {10.0f, 0.0f}, {141, 129}, true), LayoutHit::None);
}

TEST(LayoutHitTest, PagesTestTheirOwnRectangle) {
    BackgroundParams background;
    background.placementRect = {0.0f, 0.0f, 400.0f, 300.0f};
    background.cropRect = {100.0f, 0.0f, 200.0f, 300.0f};
    const PointI middle{200, 150};
    EXPECT_EQ(HitTestPage(EditMode::ChangeSize, background, {0, 0}, middle), LayoutHit::Move);
    EXPECT_EQ(HitTestPage(EditMode::ChangeBackground, background, {0, 0}, {20, 20}),
              LayoutHit::TopLeft);
    EXPECT_EQ(HitTestPage(EditMode::ChangeSize, background, {0, 0}, {20, 20}), LayoutHit::None);
    EXPECT_EQ(HitTestPage(EditMode::CutOut, background, {0, 0}, middle), LayoutHit::None);
    EXPECT_EQ(HitTestPage(EditMode::FilterToning, background, {0, 0}, {20, 20}), LayoutHit::None);
    // A crop box of the placement's size (whole pixels) does not move from
    // inside: the picture is all there is to crop.
    background.cropRect = {0.0f, 0.0f, 400.7f, 300.2f};
    EXPECT_EQ(HitTestPage(EditMode::ChangeSize, background, {0, 0}, middle), LayoutHit::None);
    EXPECT_EQ(HitTestPage(EditMode::ChangeBackground, background, {0, 0}, middle), LayoutHit::Move);
}

TEST(LayoutHitTest, CursorsFollowTheHandle) {
    EXPECT_EQ(CursorForHit(LayoutHit::None), CanvasCursor::Arrow);
    EXPECT_EQ(CursorForHit(LayoutHit::Move), CanvasCursor::Move);
    EXPECT_EQ(CursorForHit(LayoutHit::TopLeft), CanvasCursor::SizeNwSe);
    EXPECT_EQ(CursorForHit(LayoutHit::BottomRight), CanvasCursor::SizeNwSe);
    EXPECT_EQ(CursorForHit(LayoutHit::BottomLeft), CanvasCursor::SizeNeSw);
    EXPECT_EQ(CursorForHit(LayoutHit::TopRight), CanvasCursor::SizeNeSw);
}

}  // namespace
}  // namespace quillora::canvas
