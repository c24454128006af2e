#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>
#include <cstdlib>

#include "canvas/effects/BrushHistory.h"
#include "canvas/effects/Silhouette.h"
#include "canvas/effects/StrokeReplayer.h"
#include "canvas/effects/TintOverlay.h"

namespace quillora::canvas {
namespace {

constexpr std::uint32_t kGrey = 0xFF646464u;  // (100, 100, 100), the photo in the view
constexpr Argb kRed = 0x00FF0000u;
constexpr Argb kBlue = 0x000000FFu;
constexpr float kScale = 0.5f;

QImage Filled(int w, int h, std::uint32_t argb) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(argb);
    return image;
}

// A 40 x 40 cut-out kept on its left half, shown at scale 0.5 (20 x 20).
QImage HalfKeptCutOut() {
    QImage cutOut = Filled(40, 40, 0x00000000u);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 20; ++x) {
            cutOut.setPixel(x, y, 0xFF336699u);
        }
    }
    return cutOut;
}

// Channel c (0 blue .. 3 alpha) of a pixel.
int Channel(std::uint32_t pixel, int c) {
    return static_cast<int>((pixel >> (8 * c)) & 0xFFu);
}

// Expects a pixel within one level per channel of (a, r, g, b): the
// compositing rounds.
void ExpectNear(std::uint32_t pixel, int a, int r, int g, int b) {
    EXPECT_LE(std::abs(Channel(pixel, 3) - a), 1) << std::hex << pixel;
    EXPECT_LE(std::abs(Channel(pixel, 2) - r), 1) << std::hex << pixel;
    EXPECT_LE(std::abs(Channel(pixel, 1) - g), 1) << std::hex << pixel;
    EXPECT_LE(std::abs(Channel(pixel, 0) - b), 1) << std::hex << pixel;
}

struct Overlay {
    QImage viewSource = Filled(20, 20, kGrey);
    QImage cutOut = HalfKeptCutOut();
    BrushParams brush;
    BrushHistory history;
    TintOverlay overlay;

    QImage Render(std::optional<PointF> disc = std::nullopt) {
        const QImage tintMask = MakeSilhouette(cutOut, brush.tintColour);
        return overlay.Render(viewSource, tintMask, kScale, history, brush, disc).copy();
    }
};

TEST(TintOverlayTest, KeptRegionShowsTheTintAtHalfAlphaAndTheRestIsThePhoto) {
    Overlay o;
    const QImage picture = o.Render();
    ASSERT_EQ(picture.size(), QSize(20, 20));
    // Tint alpha 255 x 0.5 = 127.5, over grey: red (255 x 128 + 100 x 127) / 255
    // = 177.8, green and blue 100 x 127 / 255 = 49.8.
    ExpectNear(picture.pixel(4, 10), 255, 178, 50, 50);
    EXPECT_EQ(picture.pixel(15, 10), kGrey);
}

TEST(TintOverlayTest, AddStrokesShowInTheTintAtAlpha150AndFollowATintChange) {
    Overlay o;
    // A dot on the cut-out's dropped half, at image (30, 20), 8 image pixels
    // wide: view (15, 10), 4 view pixels.
    o.history.Append(MakeDot(30, 20, 8, 0, kStrokeAdd), 10);
    o.history.CloseGroup();
    QImage picture = o.Render();
    // (255 x 150 + 100 x 105) / 255 = 191.2; 100 x 105 / 255 = 41.2.
    ExpectNear(picture.pixel(15, 10), 255, 191, 41, 41);

    o.brush.tintColour = kBlue;
    picture = o.Render();
    ExpectNear(picture.pixel(15, 10), 255, 41, 41, 191);
    ExpectNear(picture.pixel(4, 10), 255, 50, 50, 178);
}

TEST(TintOverlayTest, EraseStrokesPunchHolesDownToThePhoto) {
    Overlay o;
    o.history.Append(MakeSegment(4, 20, 16, 20, 8, 0, kStrokeErase), 10);
    o.history.CloseGroup();
    const QImage picture = o.Render();
    EXPECT_EQ(picture.pixel(4, 10), kGrey);
    ExpectNear(picture.pixel(4, 2), 255, 178, 50, 50);
}

TEST(TintOverlayTest, UndoneGroupsAreNotShown) {
    Overlay o;
    o.history.Append(MakeDot(30, 20, 8, 0, kStrokeAdd), 10);
    o.history.CloseGroup();
    o.history.Step(HistoryStep::Undo, {});
    EXPECT_EQ(o.Render().pixel(15, 10), kGrey);
}

TEST(TintOverlayTest, BrushDiscIsTheOpaqueTintOfTheBrushDiameterInViewPixels) {
    Overlay o;
    o.brush.size = 12;  // 6 view pixels at scale 0.5
    const QImage picture = o.Render(PointF{15.0f, 10.0f});
    EXPECT_EQ(picture.pixel(15, 10), 0xFFFF0000u);
    EXPECT_EQ(picture.pixel(13, 10), 0xFFFF0000u);
    EXPECT_EQ(picture.pixel(19, 10), kGrey) << "beyond the 3-pixel radius";
}

TEST(BrushDiscTest, ShownOnlyInsideTheViewWithRightAndBottomEdgesOutside) {
    const RectF view{10.0f, 20.0f, 100.0f, 50.0f};
    EXPECT_EQ(BrushDiscCentre(true, {10, 20}, view), (PointF{0.0f, 0.0f}));
    EXPECT_EQ(BrushDiscCentre(true, {109, 69}, view), (PointF{99.0f, 49.0f}));
    EXPECT_FALSE(BrushDiscCentre(true, {110, 30}, view));
    EXPECT_FALSE(BrushDiscCentre(true, {50, 70}, view));
    EXPECT_FALSE(BrushDiscCentre(true, {9, 30}, view));
    EXPECT_FALSE(BrushDiscCentre(false, {50, 30}, view));
}

TEST(TintOverlayTest, SoftStrokesHaveTheSameEdgeOnScreenAsInTheCutOut) {
    // At scale 1 over a transparent photo and no tint mask, the overlay's
    // alpha is the stroke's coverage times 150; in the cut-out it is the
    // coverage times 255.
    BrushHistory history;
    history.Append(MakeSegment(5, 10, 30, 10, 16, 0, kStrokeAdd), 70);
    history.CloseGroup();
    BrushParams brush;
    TintOverlay overlay;
    const QImage picture =
        overlay.Render(Filled(40, 20, 0x00000000u), QImage(), 1.0f, history, brush, std::nullopt)
            .copy();

    QImage result = Filled(40, 20, 0x00000000u);
    StrokeReplayer replayer;
    replayer.SetCutOut(result);
    ASSERT_TRUE(replayer.Update(result, Filled(40, 20, 0xFF000000u), history, false));

    int partial = 0;
    for (int y = 0; y < 20; ++y) {
        const int cut = Channel(result.pixel(17, y), 3);
        const int shown = Channel(picture.pixel(17, y), 3);
        EXPECT_LE(std::abs(shown - (cut * 150 + 127) / 255), 1) << "row " << y;
        partial += cut > 0 && cut < 255 ? 1 : 0;
    }
    EXPECT_GE(partial, 4) << "the edge is feathered";
}

TEST(TintOverlayTest, NoPhotoGivesNoPicture) {
    TintOverlay overlay;
    BrushHistory history;
    EXPECT_TRUE(
        overlay.Render(QImage(), QImage(), 1.0f, history, BrushParams{}, std::nullopt).isNull());
}

}  // namespace
}  // namespace quillora::canvas
