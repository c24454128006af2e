#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include "canvas/document/CanvasDocument.h"
#include "canvas/layout/BackgroundAndSize.h"
#include "canvas/layout/BoxDrag.h"
#include "canvas/layout/CropBox.h"
#include "canvas/layout/HitTest.h"
#include "canvas/layout/LayoutInput.h"

namespace quillora::canvas {
namespace {

// The change-size and change-background pages show a 600 x 300 view whose
// corner is at (100, 50) in the window.
constexpr float kOriginX = 100.0f;
constexpr float kOriginY = 50.0f;
constexpr float kViewW = 600.0f;
constexpr float kViewH = 300.0f;

class LayoutInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (EditMode mode : {EditMode::ChangeBackground, EditMode::ChangeSize}) {
            doc_.view.SetPageRect(mode, {kOriginX, kOriginY, kViewW, kViewH});
        }
        doc_.background.placementRect = {0.0f, 0.0f, kViewW, kViewH};
    }

    void ShowCropPage(int preset) {
        doc_.mode = EditMode::ChangeSize;
        ASSERT_TRUE(ChooseSizePreset(doc_.background, preset, kViewW, kViewH));
    }

    // A point given in view pixels, as the window sees it.
    static PointI At(float x, float y) {
        return {static_cast<int>(kOriginX + x), static_cast<int>(kOriginY + y)};
    }

    CanvasDocument doc_;
    CropInput crop_;
    PlacementInput placement_;
};

TEST_F(LayoutInputTest, CropBoxMovedPastTheRightEdgeStopsFlush) {
    ShowCropPage(4);  // 3:2: (75, 0, 450, 300)
    const PageInputResult press = crop_.Press(doc_, At(300, 150));
    EXPECT_TRUE(press.handled);
    EXPECT_EQ(press.cursor, CanvasCursor::Move);
    EXPECT_EQ(doc_.background.cropHit, static_cast<int>(LayoutHit::Move));
    const PageInputResult moved = crop_.Move(doc_, At(500, 150), true);
    EXPECT_TRUE(moved.repaintNow);
    EXPECT_FLOAT_EQ(doc_.background.cropRect.x, 150.0f);  // 600 - 450
    EXPECT_FLOAT_EQ(doc_.background.cropRect.y, 0.0f);
    crop_.Release(doc_, At(500, 150));
    EXPECT_EQ(doc_.background.cropHit, 0);
    EXPECT_FALSE(doc_.input.mouseDown);
}

TEST_F(LayoutInputTest, StepsOfFivePixelsOrLessWait) {
    ShowCropPage(2);  // 1:1: (150, 0, 300, 300)
    crop_.Press(doc_, At(300, 150));
    EXPECT_FALSE(crop_.Move(doc_, At(303, 154), true).repaintNow);  // 5.0 away
    EXPECT_FLOAT_EQ(doc_.background.cropRect.x, 150.0f);
    EXPECT_EQ(doc_.input.lastPoint, At(300, 150));
    // The next step is measured from the last accepted point.
    EXPECT_TRUE(crop_.Move(doc_, At(290, 150), true).repaintNow);
    EXPECT_FLOAT_EQ(doc_.background.cropRect.x, 140.0f);
}

TEST_F(LayoutInputTest, AFreeBoxIsThePictureAndOnlyItsCornersResize) {
    ShowCropPage(0);
    const RectF whole{0.0f, 0.0f, kViewW, kViewH};
    EXPECT_EQ(doc_.background.cropRect, whole);
    // Inside: nothing to move.
    EXPECT_EQ(crop_.Press(doc_, At(300, 150)).cursor, CanvasCursor::Arrow);
    crop_.Move(doc_, At(200, 100), true);
    crop_.Release(doc_, At(200, 100));
    // Outside, away from the handles: the picture does not move either.
    crop_.Press(doc_, At(300, -50));
    crop_.Move(doc_, At(350, -80), true);
    crop_.Release(doc_, At(350, -80));
    EXPECT_EQ(doc_.background.cropRect, whole);
    EXPECT_EQ(doc_.background.placementRect, whole);
    // The bottom-right handle still resizes.
    crop_.Press(doc_, At(600, 300));
    crop_.Move(doc_, At(500, 250), true);
    EXPECT_EQ(doc_.background.cropRect, (RectF{0.0f, 0.0f, 500.0f, 250.0f}));
}

TEST_F(LayoutInputTest, OutsideASmallerBoxThePictureMoves) {
    ShowCropPage(2);
    crop_.Press(doc_, At(20, 150));
    EXPECT_EQ(doc_.background.cropHit, 0);
    EXPECT_TRUE(crop_.Move(doc_, At(40, 160), true).repaintNow);
    EXPECT_EQ(doc_.background.placementRect, (RectF{20.0f, 10.0f, kViewW, kViewH}));
    EXPECT_EQ(doc_.background.cropRect, (RectF{150.0f, 0.0f, 300.0f, 300.0f}));
}

TEST_F(LayoutInputTest, ATooSmallResizeLeavesTheBox) {
    ShowCropPage(2);  // 300 x 300 at (150, 0)
    crop_.Press(doc_, At(450, 300));
    EXPECT_EQ(doc_.background.cropHit, static_cast<int>(LayoutHit::BottomRight));
    EXPECT_FALSE(crop_.Move(doc_, At(450, 50), true).repaintNow);  // would be 50 x 50
    EXPECT_EQ(doc_.background.cropRect, (RectF{150.0f, 0.0f, 300.0f, 300.0f}));
    // The refused step still counts as taken: the next one starts from 50.
    EXPECT_TRUE(crop_.Move(doc_, At(450, 40), true).repaintNow);
    EXPECT_EQ(doc_.background.cropRect, (RectF{150.0f, 0.0f, 290.0f, 290.0f}));
}

TEST_F(LayoutInputTest, WithoutACropBoxThePageIgnoresTheMouse) {
    doc_.mode = EditMode::ChangeSize;
    EXPECT_FALSE(crop_.Press(doc_, At(300, 150)).handled);
    EXPECT_FALSE(doc_.input.mouseDown);
    EXPECT_FALSE(crop_.Move(doc_, At(400, 150), true).handled);
}

TEST_F(LayoutInputTest, HoverShowsTheHandleCursor) {
    ShowCropPage(2);
    EXPECT_EQ(crop_.Move(doc_, At(150, 0), false).cursor, CanvasCursor::SizeNwSe);
    EXPECT_EQ(crop_.Move(doc_, At(449, 10), false).cursor, CanvasCursor::SizeNeSw);
    EXPECT_EQ(crop_.Move(doc_, At(300, 150), false).cursor, CanvasCursor::Move);
    EXPECT_EQ(crop_.Move(doc_, At(50, 150), false).cursor, CanvasCursor::Arrow);
}

TEST_F(LayoutInputTest, PlacementFollowsDragsAndKeepsItsSmallestSize) {
    doc_.mode = EditMode::ChangeBackground;
    EXPECT_EQ(placement_.Press(doc_, At(300, 150)).cursor, CanvasCursor::Move);
    EXPECT_TRUE(placement_.Move(doc_, At(326, 163), true).repaint);
    placement_.Release(doc_, At(326, 163));
    EXPECT_EQ(doc_.input.panArmed, 0);
    EXPECT_EQ(doc_.background.placementRect, (RectF{26.0f, 13.0f, kViewW, kViewH}));
    // The bottom-right corner (626, 313) dragged far up and left.
    const PageInputResult press = placement_.Press(doc_, At(626, 313));
    EXPECT_EQ(press.cursor, CanvasCursor::SizeNwSe);
    EXPECT_EQ(doc_.input.panArmed, static_cast<int>(LayoutHit::BottomRight));
    placement_.Move(doc_, At(-400, -400), true);
    EXPECT_EQ(doc_.background.placementRect,
              (RectF{26.0f, 13.0f, kMinPlacementSize, kMinPlacementSize}));
}

class BackgroundAndSizeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString Photo(int w, int h) {
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(0xFF808080u);
        const QString path = dir_.filePath(QString("photo%1x%2.png").arg(w).arg(h));
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    QTemporaryDir dir_;
};

TEST_F(BackgroundAndSizeTest, EveryLayoutChoosesThePresetAgain) {
    CanvasDocument doc;
    BackgroundAndSize layout(doc);
    doc.Resize(800, 520);
    ASSERT_TRUE(doc.LoadSource(Photo(800, 520), 0.0f, true));  // fit scale 1
    EXPECT_TRUE(doc.background.cropActive);  // preset 0 from the first load: the whole picture
    EXPECT_EQ(doc.background.cropRect, (RectF{0.0f, 0.0f, 800.0f, 520.0f}));
    ASSERT_TRUE(layout.SetSizePreset(2));
    EXPECT_EQ(doc.background.cropRect, (RectF{140.0f, 0.0f, 520.0f, 520.0f}));
    ASSERT_TRUE(layout.ApplyCrop());
    EXPECT_TRUE(doc.background.cropApplied);
    doc.Resize(400, 260);  // fit scale 0.5: the crop is withdrawn, the box redone
    EXPECT_FALSE(doc.background.cropApplied);
    EXPECT_EQ(doc.background.cropRect, (RectF{70.0f, 0.0f, 260.0f, 260.0f}));
    EXPECT_FALSE(layout.SetSizePreset(99));
}

}  // namespace
}  // namespace quillora::canvas
