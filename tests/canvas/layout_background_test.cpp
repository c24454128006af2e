#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include "canvas/layout/Background.h"

namespace quillora::canvas {
namespace {

QImage Filled(int w, int h, QRgb argb) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(argb);
    return image;
}

TEST(BackgroundTest, ColourOptionsSwapRedAndBlueAndReplaceAPicture) {
    BackgroundParams bg;
    QImage picture = Filled(2, 2, 0xFF00FF00u);
    bg.kind = BackgroundKind::Picture;
    // Colour reference 0x00BBGGRR: red 0x11, green 0x22, blue 0x33.
    EXPECT_TRUE(SetBackgroundColour(bg, picture, 0x00332211u, false));
    EXPECT_EQ(bg.kind, BackgroundKind::Colour);
    EXPECT_EQ(bg.colour & 0x00FFFFFFu, 0x00112233u);
    EXPECT_TRUE(picture.isNull());
    // The same colour again changes nothing; another does.
    EXPECT_FALSE(SetBackgroundColour(bg, picture, 0x00332211u, false));
    EXPECT_TRUE(SetBackgroundColour(bg, picture, 0x00332210u, false));
    EXPECT_EQ(bg.colour & 0x00FFFFFFu, 0x00102233u);
}

TEST(BackgroundTest, OffTakesTheBackgroundAway) {
    BackgroundParams bg;
    QImage picture;
    EXPECT_FALSE(SetBackgroundColour(bg, picture, 0, true));  // nothing to take away
    ASSERT_TRUE(SetBackgroundColour(bg, picture, 0x000000FFu, false));
    EXPECT_TRUE(SetBackgroundColour(bg, picture, 0x000000FFu, true));
    EXPECT_EQ(bg.kind, BackgroundKind::None);
    // The "none" colour reference is off too.
    ASSERT_TRUE(SetBackgroundColour(bg, picture, 0x000000FFu, false));
    EXPECT_TRUE(SetBackgroundColour(bg, picture, kColourRefNone, false));
    EXPECT_EQ(bg.kind, BackgroundKind::None);
}

TEST(BackgroundTest, PictureFromAFileOrNothingChanges) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    BackgroundParams bg;
    QImage picture;
    ASSERT_TRUE(SetBackgroundColour(bg, picture, 0x00FF0000u, false));
    EXPECT_FALSE(SetBackgroundImage(bg, picture, dir.filePath("missing.png")));
    EXPECT_EQ(bg.kind, BackgroundKind::Colour);
    EXPECT_TRUE(picture.isNull());
    const QString path = dir.filePath("bg.png");
    ASSERT_TRUE(Filled(3, 2, 0xFF102030u).save(path, "PNG"));
    EXPECT_TRUE(SetBackgroundImage(bg, picture, path));
    EXPECT_EQ(bg.kind, BackgroundKind::Picture);
    ASSERT_EQ(picture.size(), QSize(3, 2));
    EXPECT_EQ(picture.pixel(2, 1), 0xFF102030u);
}

QImage Draw(const BackgroundLayer& layer, EditMode page, bool forExport, int w = 4, int h = 4) {
    QImage target = Filled(w, h, 0x00FFFFFFu);
    imaging::Surface surface(target);
    DrawBackgroundLayer(surface, QRectF(0, 0, w, h), layer, page, forExport);
    surface.end();
    return target;
}

TEST(BackgroundTest, ColourIsDrawnOpaqueOnScreenAndInTheFile) {
    // The stored colour keeps the reference's alpha byte (0); it is drawn at 255.
    const BackgroundLayer layer{BackgroundKind::Colour, 0x00112233u, {}, Filled(2, 2, 0xFFCCCCCCu)};
    for (bool forExport : {false, true}) {
        const QImage out = Draw(layer, EditMode::ChangeBackground, forExport);
        EXPECT_EQ(out.pixel(0, 0), 0xFF112233u);
        EXPECT_EQ(out.pixel(3, 3), 0xFF112233u);
    }
}

TEST(BackgroundTest, PictureIsStretchedOverTheWholeTarget) {
    QImage picture = Filled(2, 1, 0xFFFF0000u);
    picture.setPixel(1, 0, 0xFF0000FFu);
    const BackgroundLayer layer{BackgroundKind::Picture, 0, picture, {}};
    const QImage out = Draw(layer, EditMode::ChangeSize, true, 8, 3);
    EXPECT_EQ(out.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(out.pixel(0, 2), 0xFFFF0000u);
    EXPECT_EQ(out.pixel(7, 0), 0xFF0000FFu);
    EXPECT_EQ(qAlpha(out.pixel(4, 1)), 255);
}

TEST(BackgroundTest, CheckerOnScreenAndNothingInTheFile) {
    QImage tile = Filled(2, 2, 0xFFFFFFFFu);
    tile.setPixel(0, 0, 0xFFCCCCCCu);
    tile.setPixel(1, 1, 0xFFCCCCCCu);
    const BackgroundLayer none{BackgroundKind::None, 0, {}, tile};
    const QImage screen = Draw(none, EditMode::ChangeBackground, false);
    EXPECT_EQ(screen.pixel(0, 0), 0xFFCCCCCCu);
    EXPECT_EQ(screen.pixel(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(screen.pixel(2, 2), 0xFFCCCCCCu);
    EXPECT_EQ(screen.pixel(3, 2), 0xFFFFFFFFu);
    EXPECT_EQ(Draw(none, EditMode::ChangeBackground, true).pixel(1, 1), 0x00FFFFFFu);
    // The cut-out page shows the checker whatever the background, and saves
    // transparency.
    const BackgroundLayer colour{BackgroundKind::Colour, 0xFF00FF00u, {}, tile};
    EXPECT_EQ(Draw(colour, EditMode::CutOut, false).pixel(0, 0), 0xFFCCCCCCu);
    EXPECT_EQ(qAlpha(Draw(colour, EditMode::CutOut, true).pixel(0, 0)), 0);
    // A picture background whose picture is missing counts as none.
    const BackgroundLayer lost{BackgroundKind::Picture, 0, {}, tile};
    EXPECT_EQ(Draw(lost, EditMode::ChangeBackground, false).pixel(0, 0), 0xFFCCCCCCu);
    EXPECT_EQ(qAlpha(Draw(lost, EditMode::ChangeBackground, true).pixel(0, 0)), 0);
}

}  // namespace
}  // namespace quillora::canvas
