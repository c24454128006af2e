#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>

#include "canvas/layout/BoxDrag.h"
#include "canvas/widgets/CDrawPanel.h"

namespace quillora::canvas {
namespace {

constexpr QRgb kPhotoRed = 0xFFE01010u;
constexpr QRgb kGreen = 0xFF10C010u;
constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kFrameBlue = 0xFF0000FFu;
// The panel sends colour references (0x00BBGGRR): this one is red 0x80,
// green 0x40, blue 0x20.
constexpr ColourRef kBrownRef = 0x00204080u;
constexpr QRgb kBrown = 0xFF804020u;
constexpr QRgb kYellow = 0xFFF0E000u;
constexpr QRgb kCyan = 0xFF00D0F0u;

void Send(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), QPointF(w.mapToGlobal(at)), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &event);
}

void Hover(QWidget& w, QPoint at) {
    Send(w, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
}

// A press at from, moves in steps of 10 pixels (each beyond the 5-pixel
// threshold) to to, and the release there.
void DragAlong(QWidget& w, QPoint from, QPoint to) {
    Send(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    QPoint at = from;
    while (at != to) {
        const int dx = std::clamp(to.x() - at.x(), -10, 10);
        const int dy = std::clamp(to.y() - at.y(), -10, 10);
        at += QPoint(dx, dy);
        Send(w, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
    }
    Send(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

// A press at from, one move straight to to, and the release there.
void DragOnce(QWidget& w, QPoint from, QPoint to) {
    Send(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Send(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Send(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

bool Near(QRgb a, QRgb b, int tolerance = 2) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance &&
           std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

class DrawPanelLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        panel_.resize(400, 300);
    }

    QString Save(const QString& name, const QImage& image) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    // A picture whose left half is one colour and right half another.
    QString SaveHalves(const QString& name, int w, int h, QRgb left, QRgb right) {
        QImage image(w, h, QImage::Format_ARGB32);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                image.setPixel(x, y, x < w / 2 ? left : right);
            }
        }
        return Save(name, image);
    }

    // Photo and cut-out of w x h: the cut-out's left half is transparent,
    // its right half green.
    void LoadPair(int w, int h) {
        ASSERT_TRUE(
            panel_.LoadSource(SaveHalves(QStringLiteral("photo.png"), w, h, kPhotoRed, kPhotoRed)));
        ASSERT_TRUE(
            panel_.LoadResult(SaveHalves(QStringLiteral("cutout.png"), w, h, 0x00000000u, kGreen)));
    }

    QImage Shown() { return panel_.grab().toImage().convertToFormat(QImage::Format_ARGB32); }

    QImage Saved(const QString& path) {
        QImage image(path);
        return image.convertToFormat(QImage::Format_ARGB32);
    }

    const BackgroundParams& Background() { return panel_.Document().background; }

    QTemporaryDir dir_;
    CDrawPanel panel_;
};

TEST_F(DrawPanelLayoutTest, ColourBackgroundShowsBehindTheCutOutOutsideTheCutOutPage) {
    LoadPair(400, 300);
    panel_.SetBackgroundColour(kBrownRef, false);
    // The cut-out page keeps the checker behind the transparent half.
    QImage shown = Shown();
    EXPECT_NE(shown.pixel(50, 150), kBrown);
    EXPECT_EQ(shown.pixel(300, 150), kGreen);

    panel_.SetMode(EditMode::ChangeBackground);
    shown = Shown();
    EXPECT_EQ(shown.pixel(50, 150), kBrown);
    EXPECT_EQ(shown.pixel(100, 200), kBrown);
    EXPECT_EQ(shown.pixel(300, 150), kGreen);
    // The placement frame one pixel inside the picture.
    EXPECT_EQ(shown.pixel(1, 150), kFrameBlue);

    // "None" takes the background away again.
    panel_.SetBackgroundColour(kColourRefNone, true);
    EXPECT_EQ(Background().kind, BackgroundKind::None);
    shown = Shown();
    EXPECT_NE(shown.pixel(50, 150), kBrown);
    EXPECT_EQ(shown.pixel(300, 150), kGreen);
}

TEST_F(DrawPanelLayoutTest, BackgroundPictureIsStretchedAndABrokenFileKeepsTheColour) {
    LoadPair(400, 300);
    panel_.SetMode(EditMode::ChangeBackground);
    panel_.SetBackgroundColour(kBrownRef, false);

    const QString broken = dir_.filePath("broken.jpg");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    EXPECT_FALSE(panel_.SetBackgroundImage(broken));
    EXPECT_FALSE(panel_.SetBackgroundImage(dir_.filePath("absent.png")));
    EXPECT_EQ(Background().kind, BackgroundKind::Colour);
    EXPECT_EQ(Shown().pixel(50, 150), kBrown);

    // 40 x 10: stretched to 400 x 300, its halves meet at x = 200 and it
    // covers the whole height.
    ASSERT_TRUE(
        panel_.SetBackgroundImage(SaveHalves(QStringLiteral("bg.png"), 40, 10, kYellow, kCyan)));
    EXPECT_EQ(Background().kind, BackgroundKind::Picture);
    const QImage shown = Shown();
    EXPECT_TRUE(Near(shown.pixel(50, 150), kYellow)) << std::hex << shown.pixel(50, 150);
    EXPECT_TRUE(Near(shown.pixel(150, 290), kYellow)) << std::hex << shown.pixel(150, 290);
    EXPECT_EQ(shown.pixel(300, 150), kGreen);
}

TEST_F(DrawPanelLayoutTest, PlacementDragMovesTheCutOutAndCursorsFollowTheHandles) {
    LoadPair(400, 300);
    panel_.SetMode(EditMode::ChangeBackground);
    panel_.SetBackgroundColour(kBrownRef, false);

    Hover(panel_, QPoint(200, 150));
    EXPECT_EQ(panel_.cursor().shape(), Qt::SizeAllCursor);
    Hover(panel_, QPoint(5, 5));
    EXPECT_EQ(panel_.cursor().shape(), Qt::SizeFDiagCursor);
    // The top-right handle reaches 60 pixels inside the corner.
    Hover(panel_, QPoint(345, 10));
    EXPECT_EQ(panel_.cursor().shape(), Qt::SizeBDiagCursor);
    Hover(panel_, QPoint(395, 295));
    EXPECT_EQ(panel_.cursor().shape(), Qt::SizeFDiagCursor);
    Hover(panel_, QPoint(10, 150));
    EXPECT_EQ(panel_.cursor().shape(), Qt::ArrowCursor);

    DragAlong(panel_, QPoint(200, 150), QPoint(240, 170));
    EXPECT_FLOAT_EQ(Background().placementRect.x, 40.0f);
    EXPECT_FLOAT_EQ(Background().placementRect.y, 20.0f);
    EXPECT_FLOAT_EQ(Background().placementRect.w, 400.0f);
    // The green half now starts at x = 240 and y = 20.
    const QImage shown = Shown();
    EXPECT_EQ(shown.pixel(230, 150), kBrown);
    EXPECT_EQ(shown.pixel(250, 150), kGreen);
    EXPECT_EQ(shown.pixel(300, 10), kBrown);
    EXPECT_EQ(shown.pixel(300, 30), kGreen);
}

TEST_F(DrawPanelLayoutTest, PlacementCornerDraggedPastTheOppositeEdgeStopsAtTheMinimum) {
    LoadPair(400, 300);
    panel_.SetMode(EditMode::ChangeBackground);
    // Top-left corner dragged far beyond the bottom-right one.
    DragAlong(panel_, QPoint(2, 2), QPoint(500, 420));
    const RectF& placement = Background().placementRect;
    EXPECT_GE(placement.w, kMinPlacementSize);
    EXPECT_GE(placement.h, kMinPlacementSize);
    // The bottom-right corner stayed where it was.
    EXPECT_FLOAT_EQ(placement.x + placement.w, 400.0f);
    EXPECT_FLOAT_EQ(placement.y + placement.h, 300.0f);
}

TEST_F(DrawPanelLayoutTest, SizePresetPlacesTheBoxAndItsDragStopsFlushWithTheEdge) {
    LoadPair(400, 300);
    // Laid out with the free preset from the first photo on.
    EXPECT_TRUE(Background().cropActive);
    EXPECT_FLOAT_EQ(Background().cropRect.w, 400.0f);

    panel_.SetMode(EditMode::ChangeSize);
    EXPECT_FALSE(panel_.SetSizePreset(18));
    ASSERT_TRUE(panel_.SetSizePreset(2));
    // 1 : 1 in 400 x 300: the 300-pixel square, centred.
    EXPECT_FLOAT_EQ(Background().cropRect.x, 50.0f);
    EXPECT_FLOAT_EQ(Background().cropRect.y, 0.0f);
    EXPECT_FLOAT_EQ(Background().cropRect.w, 300.0f);
    EXPECT_FLOAT_EQ(Background().cropRect.h, 300.0f);
    // The box's frame is drawn one pixel inside it.
    EXPECT_EQ(Shown().pixel(51, 150), kFrameBlue);

    Hover(panel_, QPoint(200, 150));
    EXPECT_EQ(panel_.cursor().shape(), Qt::SizeAllCursor);
    DragAlong(panel_, QPoint(200, 150), QPoint(300, 150));
    EXPECT_FLOAT_EQ(Background().cropRect.x, 100.0f);
    EXPECT_FLOAT_EQ(Background().cropRect.w, 300.0f);

    // A corner drag that would leave 50 pixels or fewer is refused whole.
    const RectF before = Background().cropRect;
    DragOnce(panel_, QPoint(398, 298), QPoint(398, 40));
    EXPECT_FLOAT_EQ(Background().cropRect.w, before.w);
    EXPECT_FLOAT_EQ(Background().cropRect.h, before.h);
    // A smaller pull of the same corner keeps the ratio.
    DragOnce(panel_, QPoint(398, 298), QPoint(398, 198));
    EXPECT_FLOAT_EQ(Background().cropRect.w, 200.0f);
    EXPECT_FLOAT_EQ(Background().cropRect.h, 200.0f);
    EXPECT_FLOAT_EQ(Background().cropRect.x, 100.0f);
}

TEST_F(DrawPanelLayoutTest, AppliedCropShowsOnlyTheBoxUntilAPresetIsChosenAgain) {
    LoadPair(400, 300);
    panel_.SetMode(EditMode::ChangeSize);
    panel_.SetBackgroundColour(kBrownRef, false);
    ASSERT_TRUE(panel_.SetSizePreset(2));
    EXPECT_EQ(Shown().pixel(20, 150), kBrown);

    panel_.ApplyCrop();
    EXPECT_TRUE(Background().cropApplied);
    QImage shown = Shown();
    EXPECT_EQ(shown.pixel(20, 150), kWhite);
    EXPECT_EQ(shown.pixel(380, 150), kWhite);
    EXPECT_EQ(shown.pixel(100, 150), kBrown);
    EXPECT_EQ(shown.pixel(300, 150), kGreen);

    ASSERT_TRUE(panel_.SetSizePreset(2));
    EXPECT_FALSE(Background().cropApplied);
    shown = Shown();
    EXPECT_EQ(shown.pixel(20, 150), kBrown);
}

TEST_F(DrawPanelLayoutTest, SaveWithoutCutOutFailsAndWritesNothing) {
    ASSERT_TRUE(
        panel_.LoadSource(SaveHalves(QStringLiteral("photo.png"), 400, 300, kPhotoRed, kPhotoRed)));
    const QString path = dir_.filePath("out.png");
    EXPECT_EQ(panel_.RenderOutput(path), ExportStatus::NoCutOut);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(panel_.RenderOutput(dir_.filePath("absent/folder/out.png")), ExportStatus::NoCutOut);
}

TEST_F(DrawPanelLayoutTest, SaveFromTheCutOutPageKeepsTransparencyAtFullSize) {
    // 800 x 600 in the 400 x 300 canvas: shown at 0.5, saved at full size.
    LoadPair(800, 600);
    ASSERT_FLOAT_EQ(panel_.Document().view.Scale(), 0.5f);
    panel_.SetBackgroundColour(kBrownRef, false);
    const QString path = dir_.filePath("cutout-page.png");
    ASSERT_EQ(panel_.RenderOutput(path), ExportStatus::Ok);
    const QImage saved = Saved(path);
    ASSERT_EQ(saved.size(), QSize(800, 600));
    EXPECT_EQ(qAlpha(saved.pixel(100, 300)), 0);
    EXPECT_EQ(saved.pixel(600, 300), kGreen);
    EXPECT_EQ(saved.pixel(799, 599), kGreen);
    // The view is as it was.
    EXPECT_FLOAT_EQ(panel_.Document().view.Scale(), 0.5f);
}

TEST_F(DrawPanelLayoutTest, SavedPlacementIsTheViewPlacementDividedByTheScale) {
    LoadPair(800, 600);
    panel_.SetMode(EditMode::ChangeBackground);
    panel_.SetBackgroundColour(kBrownRef, false);
    DragAlong(panel_, QPoint(200, 150), QPoint(226, 163));
    ASSERT_FLOAT_EQ(Background().placementRect.x, 26.0f);
    ASSERT_FLOAT_EQ(Background().placementRect.y, 13.0f);

    const QString path = dir_.filePath("placed.png");
    ASSERT_EQ(panel_.RenderOutput(path), ExportStatus::Ok);
    const QImage saved = Saved(path);
    ASSERT_EQ(saved.size(), QSize(800, 600));
    // Green starts at (52 + 400, 26); the background fills everything else.
    EXPECT_EQ(saved.pixel(451, 300), kBrown);
    EXPECT_EQ(saved.pixel(452, 300), kGreen);
    EXPECT_EQ(saved.pixel(600, 25), kBrown);
    EXPECT_EQ(saved.pixel(600, 26), kGreen);
    EXPECT_EQ(saved.pixel(10, 10), kBrown);
    // The view placement is untouched by the save.
    EXPECT_FLOAT_EQ(Background().placementRect.x, 26.0f);
}

TEST_F(DrawPanelLayoutTest, AppliedIdentityCropSavesItsFixedSize) {
    LoadPair(800, 600);
    panel_.SetMode(EditMode::ChangeSize);
    panel_.SetBackgroundColour(kBrownRef, false);
    ASSERT_TRUE(panel_.SetSizePreset(13));
    panel_.ApplyCrop();
    const QString path = dir_.filePath("id.png");
    ASSERT_EQ(panel_.RenderOutput(path), ExportStatus::Ok);
    const QImage saved = Saved(path);
    ASSERT_EQ(saved.size(), QSize(413, 579));
    // The box is centred on the seam between background and green.
    EXPECT_EQ(saved.pixel(20, 300), kBrown);
    EXPECT_EQ(saved.pixel(400, 300), kGreen);
    EXPECT_EQ(qAlpha(saved.pixel(200, 5)), 255);

    // Without the applied crop the whole picture is saved.
    ASSERT_TRUE(panel_.SetSizePreset(13));
    ASSERT_EQ(panel_.RenderOutput(path), ExportStatus::Ok);
    EXPECT_EQ(Saved(path).size(), QSize(800, 600));
}

}  // namespace
}  // namespace quillora::canvas
