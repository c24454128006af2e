#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <cstdint>

#include "canvas/widgets/CDrawPanel.h"
#include "canvas/widgets/CDrawPanelTool.h"

namespace quillora::canvas {
namespace {

constexpr QRgb kRed = 0xFFE01010u;
constexpr QRgb kBlue = 0xFF1010E0u;
constexpr QRgb kGreen = 0xFF10C010u;
constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kCheckerGrey = 0xFFCCCCCCu;

void Send(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), QPointF(w.mapToGlobal(at)), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &event);
}

void Press(QWidget& w, QPoint at) {
    Send(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}
void Drag(QWidget& w, QPoint at) {
    Send(w, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}
void Release(QWidget& w, QPoint at) {
    Send(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

void Key(QWidget& w, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = {}) {
    QKeyEvent event(type, key, modifiers);
    QCoreApplication::sendEvent(&w, &event);
}

void Wheel(QWidget& w, int delta) {
    QWheelEvent event(QPointF(10, 10), QPointF(w.mapToGlobal(QPoint(10, 10))), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&w, &event);
}

QAbstractButton* ToolButton(CDrawPanel& panel, const char* name) {
    return panel.ToolWindow()->findChild<QAbstractButton*>(QString::fromLatin1(name));
}

class DrawPanelTest : public ::testing::Test {
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

    // Left half red, right half blue.
    QString SavePhoto(int w, int h) {
        QImage image(w, h, QImage::Format_ARGB32);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                image.setPixel(x, y, x < w / 2 ? kRed : kBlue);
            }
        }
        return Save(QStringLiteral("photo.png"), image);
    }

    // Left half transparent, right half green.
    QString SaveCutOut(int w, int h) {
        QImage image(w, h, QImage::Format_ARGB32);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                image.setPixel(x, y, x < w / 2 ? 0x00000000u : kGreen);
            }
        }
        return Save(QStringLiteral("cutout.png"), image);
    }

    // A 400 x 300 pair in the 400 x 300 canvas: fit scale 1.0, view at (0, 0).
    void LoadFullPair() {
        ASSERT_TRUE(panel_.LoadSource(SavePhoto(400, 300)));
        ASSERT_TRUE(panel_.LoadResult(SaveCutOut(400, 300)));
    }

    QImage Shown() { return panel_.grab().toImage().convertToFormat(QImage::Format_ARGB32); }

    QTemporaryDir dir_;
    CDrawPanel panel_;
};

TEST_F(DrawPanelTest, MissingOrBrokenFileLeavesTheCanvasEmpty) {
    EXPECT_FALSE(panel_.LoadSource(dir_.filePath("absent.png")));
    EXPECT_EQ(panel_.Document().busy, CanvasDocument::kEmpty);
    const QString broken = dir_.filePath("broken.png");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    file.close();
    EXPECT_FALSE(panel_.LoadSource(broken));
    EXPECT_FALSE(panel_.Document().HasSource());
    const QImage shown = Shown();
    EXPECT_EQ(shown.pixel(200, 150), kWhite);
    EXPECT_EQ(shown.pixel(5, 5), kWhite);
}

TEST_F(DrawPanelTest, WaitingShowsThePhotoWithTheAnimationOnTop) {
    // 20 x 10 in 400 x 300: fit 20, the picture is 400 x 200 at (0, 50).
    ASSERT_TRUE(panel_.LoadSource(SavePhoto(20, 10)));
    EXPECT_TRUE(panel_.isVisible());
    EXPECT_EQ(panel_.Document().busy, CanvasDocument::kWaiting);
    const QImage shown = Shown();
    EXPECT_EQ(shown.pixel(200, 20), kWhite);
    EXPECT_EQ(shown.pixel(10, 100), kRed);
    EXPECT_EQ(shown.pixel(390, 240), kBlue);
    // The animation's white plate sits at the picture's centre, (200, 150).
    EXPECT_EQ(shown.pixel(200, 150), kWhite);
    EXPECT_EQ(panel_.BackBuffer().pixel(10, 100), kRed);
    // Mouse input is ignored while waiting, even with the hand tool.
    panel_.SetPanMode(true);
    const RectF before = panel_.Document().view.PageRect(EditMode::CutOut);
    Press(panel_, {100, 100});
    Drag(panel_, {160, 160});
    Release(panel_, {160, 160});
    EXPECT_EQ(panel_.Document().view.PageRect(EditMode::CutOut), before);
}

TEST_F(DrawPanelTest, LoadingAnimationAdvancesWhileWaiting) {
    ASSERT_TRUE(panel_.LoadSource(SavePhoto(20, 10)));
    ASSERT_EQ(panel_.Loading().FrameCount(), 12);
    QElapsedTimer waited;
    waited.start();
    while (panel_.Loading().FrameIndex() == 0 && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_NE(panel_.Loading().FrameIndex(), 0);
}

TEST_F(DrawPanelTest, EffectViewShowsTheCutOutOverTheChecker) {
    ASSERT_TRUE(panel_.LoadSource(SavePhoto(20, 10)));
    ASSERT_TRUE(panel_.LoadResult(SaveCutOut(20, 10)));
    EXPECT_TRUE(panel_.Document().showResult);
    const QImage shown = Shown();
    // The checker starts at the picture's corner (0, 50): grey, then white.
    EXPECT_EQ(shown.pixel(0, 50), kCheckerGrey);
    EXPECT_EQ(shown.pixel(8, 50), kWhite);
    EXPECT_EQ(shown.pixel(8, 58), kCheckerGrey);
    EXPECT_EQ(shown.pixel(300, 150), kGreen);
    EXPECT_EQ(shown.pixel(300, 20), kWhite);
    // The source tab shows the photo again (where nothing is tinted).
    panel_.SetShowResult(false);
    EXPECT_EQ(Shown().pixel(100, 150), kRed);
}

TEST_F(DrawPanelTest, SourceViewTintsTheKeptRegionAndShowsTheBrushDisc) {
    LoadFullPair();
    panel_.SetShowResult(false);
    panel_.SetBrushEnabled(true);
    QImage shown = Shown();
    // Left: the cut-out is transparent there, the photo shows as it is.
    EXPECT_EQ(shown.pixel(100, 150), kRed);
    // Right: the kept region, red tint at half alpha over the blue photo:
    // 0.5 x (255, 0, 0) + 0.5 x (16, 16, 224).
    const QRgb tinted = shown.pixel(300, 150);
    EXPECT_NEAR(qRed(tinted), 135, 2);
    EXPECT_NEAR(qGreen(tinted), 8, 2);
    EXPECT_NEAR(qBlue(tinted), 112, 2);
    // The brush disc follows the cursor in the opaque tint colour.
    Send(panel_, QEvent::MouseMove, {100, 150}, Qt::NoButton, Qt::NoButton);
    shown = Shown();
    EXPECT_EQ(shown.pixel(100, 150), 0xFFFF0000u);
    EXPECT_EQ(shown.pixel(100, 190), kRed);
}

TEST_F(DrawPanelTest, ToolWindowZoomsOnlyInTheCutOutPage) {
    LoadFullPair();
    const CanvasDocument& doc = panel_.Document();
    ToolButton(panel_, "btnZoomIn")->click();
    EXPECT_FLOAT_EQ(doc.view.Scale(), 1.1f);
    EXPECT_EQ(doc.bitmaps.viewSource.size(), QSize(440, 330));
    ToolButton(panel_, "btnZoomOut")->click();
    ToolButton(panel_, "btnZoomOut")->click();
    EXPECT_NEAR(doc.view.Scale(), 0.9f, 1e-6f);
    ToolButton(panel_, "btnRatioOne")->click();
    EXPECT_FLOAT_EQ(doc.view.Scale(), 1.0f);
    Wheel(panel_, 120);
    EXPECT_FLOAT_EQ(doc.view.Scale(), 1.1f);
    Wheel(panel_, -120);
    EXPECT_FLOAT_EQ(doc.view.Scale(), 1.0f);

    panel_.SetMode(EditMode::ShadowBorder);
    EXPECT_FALSE(panel_.ToolWindow()->isVisible());
    EXPECT_FALSE(panel_.ZoomIn());
    Wheel(panel_, 120);
    EXPECT_FLOAT_EQ(doc.view.PageScale(EditMode::CutOut), 1.0f);
    EXPECT_FLOAT_EQ(doc.view.Scale(), 1.0f);
    panel_.SetMode(EditMode::CutOut);
    EXPECT_TRUE(panel_.ToolWindow()->isVisible());
}

TEST_F(DrawPanelTest, ToolWindowSitsNearTheBottomRightCorner) {
    LoadFullPair();
    CDrawPanelTool* tool = panel_.ToolWindow();
    ASSERT_TRUE(tool->isVisible());
    EXPECT_EQ(tool->pos(), panel_.mapToGlobal(QPoint(400 - 200, 300 - 60)));
    for (const char* name : {"optMover", "btnZoomOut", "btnZoomIn", "btnRatioOne"}) {
        EXPECT_NE(ToolButton(panel_, name), nullptr) << name;
    }
}

TEST_F(DrawPanelTest, HandToolPansBeyondFivePixelsAndLeavesNoTrail) {
    LoadFullPair();
    panel_.SetShowResult(false);
    ToolButton(panel_, "optMover")->click();
    ASSERT_TRUE(panel_.Document().input.panMode);
    EXPECT_FALSE(panel_.Document().input.brushEnabled);
    Shown();
    ASSERT_EQ(panel_.BackBuffer().pixel(10, 10), kRed);

    Press(panel_, {100, 100});
    Drag(panel_, {103, 104});  // exactly 5 pixels: ignored
    EXPECT_EQ(panel_.Document().view.PageRect(EditMode::CutOut), (RectF{0, 0, 400, 300}));
    Drag(panel_, {130, 120});
    EXPECT_EQ(panel_.Document().view.PageRect(EditMode::CutOut), (RectF{30, 20, 400, 300}));
    EXPECT_EQ(panel_.Document().view.PreviousRect(), (RectF{0, 0, 400, 300}));
    Release(panel_, {130, 120});
    Shown();
    // What the picture covered before the move is white again.
    EXPECT_EQ(panel_.BackBuffer().pixel(10, 10), kWhite);
    EXPECT_EQ(panel_.BackBuffer().pixel(40, 30), kRed);

    ToolButton(panel_, "optMover")->click();
    EXPECT_FALSE(panel_.Document().input.panMode);
    EXPECT_TRUE(panel_.Document().input.brushEnabled);
}

TEST_F(DrawPanelTest, SpaceHoldsTheHandToolAndChecksTheMover) {
    LoadFullPair();
    CDrawPanelTool* tool = panel_.ToolWindow();
    Key(panel_, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(panel_.Document().input.panMode);
    EXPECT_TRUE(tool->IsMoverChecked());
    Key(panel_, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_FALSE(panel_.Document().input.panMode);
    EXPECT_FALSE(tool->IsMoverChecked());
}

TEST_F(DrawPanelTest, BrushClickRestoresThePhotoAndUndoTakesItBack) {
    LoadFullPair();
    panel_.SetShowResult(false);
    panel_.SetBrushEnabled(true);
    // The left half of the cut-out is transparent; a click there adds the
    // photo back under a dot of the brush size.
    Press(panel_, {100, 150});
    Release(panel_, {101, 151});
    const CanvasDocument& doc = panel_.Document();
    ASSERT_EQ(doc.strokes.Records().size(), 1u);
    EXPECT_EQ(doc.strokes.Records()[0].isSegment, 0);
    EXPECT_EQ(doc.strokes.Records()[0].size, 20);
    EXPECT_TRUE(doc.replayStrokes);

    panel_.SetShowResult(true);
    EXPECT_EQ(Shown().pixel(101, 151), kRed);
    EXPECT_EQ(doc.bitmaps.resultImage.pixel(101, 151), kRed);
    EXPECT_EQ(doc.bitmaps.resultImage.pixel(130, 151), 0u);

    Key(panel_, QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(doc.reloadResult);
    // Transparent again: the checker shows ((101, 151) is in a grey square).
    EXPECT_EQ(Shown().pixel(101, 151), kCheckerGrey);
    EXPECT_EQ(doc.bitmaps.resultImage.pixel(101, 151), 0u);
}

TEST_F(DrawPanelTest, BrushDragMakesSegmentsOnly) {
    LoadFullPair();
    panel_.SetShowResult(false);
    panel_.SetBrushEnabled(true);
    Press(panel_, {50, 50});
    Drag(panel_, {70, 50});
    Drag(panel_, {90, 50});
    Release(panel_, {90, 50});
    const StrokeList& records = panel_.Document().strokes.Records();
    ASSERT_EQ(records.size(), 2u);
    for (const StrokeRecord& r : records) {
        EXPECT_EQ(r.isSegment, 1);
        EXPECT_EQ(r.group, 0);
    }
    EXPECT_FLOAT_EQ(records[1].x2, 90.0f);
}

TEST_F(DrawPanelTest, ResizeGoesBackToTheFitScale) {
    LoadFullPair();
    ASSERT_TRUE(panel_.ZoomIn());
    panel_.resize(200, 150);
    QCoreApplication::processEvents();
    EXPECT_FLOAT_EQ(panel_.Document().view.Scale(), 0.5f);
    EXPECT_EQ(panel_.BackBuffer().size(), QSize(200, 150));
    EXPECT_EQ(panel_.Document().bitmaps.viewResult.size(), QSize(200, 150));
}

}  // namespace
}  // namespace quillora::canvas
