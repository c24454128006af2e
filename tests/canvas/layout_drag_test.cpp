#include <gtest/gtest.h>

#include "canvas/layout/BoxDrag.h"

namespace quillora::canvas {
namespace {

constexpr float kViewW = 600.0f;
constexpr float kViewH = 300.0f;
const BoxRatio kFree{};
const BoxRatio kSquare{1.0f, 1.0f};
const BoxRatio kTwoThree{2.0f, 3.0f};

void ExpectRect(const RectF& r, float x, float y, float w, float h) {
    EXPECT_FLOAT_EQ(r.x, x);
    EXPECT_FLOAT_EQ(r.y, y);
    EXPECT_FLOAT_EQ(r.w, w);
    EXPECT_FLOAT_EQ(r.h, h);
}

TEST(PlacementDragTest, InteriorAndCornersFollowTheCursor) {
    const RectF r{10.0f, 20.0f, 300.0f, 200.0f};
    ExpectRect(DragPlacement(r, LayoutHit::Move, -15, 7), -5, 27, 300, 200);
    ExpectRect(DragPlacement(r, LayoutHit::TopLeft, 10, -20), 20, 0, 290, 220);
    ExpectRect(DragPlacement(r, LayoutHit::BottomLeft, 10, 30), 20, 20, 290, 230);
    ExpectRect(DragPlacement(r, LayoutHit::TopRight, 10, 30), 10, 50, 310, 170);
    ExpectRect(DragPlacement(r, LayoutHit::BottomRight, -50, 40), 10, 20, 250, 240);
    ExpectRect(DragPlacement(r, LayoutHit::None, 99, 99), 10, 20, 300, 200);
    // The ratio is not kept and nothing is clamped to the view.
    ExpectRect(DragPlacement(r, LayoutHit::BottomRight, 1000, 0), 10, 20, 1300, 200);
}

TEST(PlacementDragTest, HandlesStopAtTheSmallestSize) {
    const RectF r{100.0f, 100.0f, 200.0f, 150.0f};
    // The top-left corner dragged far past the bottom-right one: its edges
    // stop kMinPlacementSize short of the opposite edges.
    ExpectRect(DragPlacement(r, LayoutHit::TopLeft, 500, 500), 280, 230, 20, 20);
    ExpectRect(DragPlacement(r, LayoutHit::BottomRight, -500, -500), 100, 100, 20, 20);
    ExpectRect(DragPlacement(r, LayoutHit::BottomLeft, 500, -500), 280, 100, 20, 20);
    ExpectRect(DragPlacement(r, LayoutHit::TopRight, -500, 500), 100, 230, 20, 20);
    // Only the axis that runs out stops; the other follows.
    ExpectRect(DragPlacement(r, LayoutHit::BottomRight, -500, 10), 100, 100, 20, 160);
}

TEST(PlacementDragTest, ARectangleBelowTheMinimumIsNotShrunkFurther) {
    const RectF tiny{0.0f, 0.0f, 8.0f, 30.0f};
    ExpectRect(DragPlacement(tiny, LayoutHit::BottomRight, -6, -6), 0, 0, 8, 24);
    ExpectRect(DragPlacement(tiny, LayoutHit::TopLeft, 6, 0), 0, 0, 8, 30);
    ExpectRect(DragPlacement(tiny, LayoutHit::BottomRight, 6, 0), 0, 0, 14, 30);
}

TEST(CropDragTest, MoveStopsFlushWithTheEdges) {
    const RectF box{200.0f, 50.0f, 150.0f, 150.0f};
    ExpectRect(DragCropBox(box, LayoutHit::Move, kSquare, 30, 10, kViewW, kViewH), 230, 60, 150,
               150);
    ExpectRect(DragCropBox(box, LayoutHit::Move, kSquare, 400, 0, kViewW, kViewH), 450, 50, 150,
               150);
    ExpectRect(DragCropBox(box, LayoutHit::Move, kSquare, -400, -400, kViewW, kViewH), 0, 0, 150,
               150);
    ExpectRect(DragCropBox(box, LayoutHit::Move, kFree, 0, 400, kViewW, kViewH), 200, 150, 150,
               150);
}

TEST(CropDragTest, RatioCornersFollowTheVerticalMotion) {
    const RectF box{200.0f, 60.0f, 120.0f, 180.0f};  // 2:3
    // Bottom-right 30 down: 20 wider, 30 higher; the horizontal motion is ignored.
    ExpectRect(DragCropBox(box, LayoutHit::BottomRight, kTwoThree, -70, 30, kViewW, kViewH), 200,
               60, 140, 210);
    // Top-left 30 up: the corner moves up 30 and left 20.
    ExpectRect(DragCropBox(box, LayoutHit::TopLeft, kTwoThree, 0, -30, kViewW, kViewH), 180, 30,
               140, 210);
    // Top-right 30 up: 20 wider to the right.
    ExpectRect(DragCropBox(box, LayoutHit::TopRight, kTwoThree, 0, -30, kViewW, kViewH), 200, 30,
               140, 210);
    // Bottom-left 30 down: 20 wider to the left.
    ExpectRect(DragCropBox(box, LayoutHit::BottomLeft, kTwoThree, 0, 30, kViewW, kViewH), 180, 60,
               140, 210);
}

TEST(CropDragTest, RatioCornersStopAtTheViewsEdges) {
    const RectF box{200.0f, 60.0f, 120.0f, 180.0f};
    // Up 100 would pass the top: only 60, so 40 wider.
    ExpectRect(DragCropBox(box, LayoutHit::TopLeft, kTwoThree, 0, -100, kViewW, kViewH), 160, 0,
               160, 240);
    ExpectRect(DragCropBox(box, LayoutHit::TopRight, kTwoThree, 0, -100, kViewW, kViewH), 200, 0,
               160, 240);
    // Down 100 would pass the bottom (300): only 60.
    ExpectRect(DragCropBox(box, LayoutHit::BottomRight, kTwoThree, 0, 100, kViewW, kViewH), 200, 60,
               160, 240);
    ExpectRect(DragCropBox(box, LayoutHit::BottomLeft, kTwoThree, 0, 100, kViewW, kViewH), 160, 60,
               160, 240);
    // Near the left edge, the left side runs out first: 10 wider at most,
    // so 15 higher.
    const RectF left{10.0f, 60.0f, 120.0f, 180.0f};
    ExpectRect(DragCropBox(left, LayoutHit::TopLeft, kTwoThree, 0, -60, kViewW, kViewH), 0, 45, 130,
               195);
    ExpectRect(DragCropBox(left, LayoutHit::BottomLeft, kTwoThree, 0, 60, kViewW, kViewH), 0, 60,
               130, 195);
}

TEST(CropDragTest, AResizeToFiftyOrLessIsRefusedWhole) {
    const RectF box{100.0f, 100.0f, 80.0f, 120.0f};  // 2:3
    // 45 up would leave 50 x 75: 50 is not more than the minimum, so the
    // box stays as it was, height included.
    EXPECT_EQ(DragCropBox(box, LayoutHit::BottomRight, kTwoThree, 0, -45, kViewW, kViewH), box);
    EXPECT_EQ(DragCropBox(box, LayoutHit::TopLeft, kTwoThree, 0, 80, kViewW, kViewH), box);
    // 44 up leaves 50.67 x 76: accepted.
    ExpectRect(DragCropBox(box, LayoutHit::BottomRight, kTwoThree, 0, -44, kViewW, kViewH), 100,
               100, 80.0f - 2.0f * 44.0f / 3.0f, 76);
    // A free box: 31 narrower leaves 49, refused; the height is not applied either.
    EXPECT_EQ(DragCropBox(box, LayoutHit::BottomRight, kFree, -31, 10, kViewW, kViewH), box);
    ExpectRect(DragCropBox(box, LayoutHit::BottomRight, kFree, -29, 10, kViewW, kViewH), 100, 100,
               51, 130);
}

TEST(CropDragTest, FreeCornersAreClippedToThePicture) {
    const RectF box{20.0f, 20.0f, 200.0f, 100.0f};
    ExpectRect(DragCropBox(box, LayoutHit::TopLeft, kFree, -50, -60, kViewW, kViewH), 0, 0, 220,
               120);
    ExpectRect(DragCropBox(box, LayoutHit::BottomRight, kFree, 500, 500, kViewW, kViewH), 20, 20,
               580, 280);
    // The whole picture as the box: the corners can only shrink it.
    const RectF whole{0.0f, 0.0f, kViewW, kViewH};
    EXPECT_EQ(DragCropBox(whole, LayoutHit::TopRight, kFree, 20, -20, kViewW, kViewH), whole);
    ExpectRect(DragCropBox(whole, LayoutHit::TopRight, kFree, -20, 20, kViewW, kViewH), 0, 20, 580,
               280);
    EXPECT_EQ(DragCropBox(box, LayoutHit::None, kFree, 20, 20, kViewW, kViewH), box);
}

}  // namespace
}  // namespace quillora::canvas
