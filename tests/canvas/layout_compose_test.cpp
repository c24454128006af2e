#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "canvas/imaging/Imaging.h"
#include "canvas/layout/Composition.h"
#include "canvas/layout/LargePicture.h"

namespace quillora::canvas {
namespace {

constexpr QRgb kBlue = 0xFF0000FFu;
constexpr QRgb kRed = 0xFFFF0000u;
constexpr QRgb kGreen = 0xFF00FF00u;
constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kGrey = 0xFFCCCCCCu;

QImage Filled(int w, int h, QRgb argb) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(argb);
    return image;
}

// Opaque colour in columns [0, columns), transparent to the right.
QImage LeftColumns(int w, int h, int columns, QRgb argb) {
    QImage image = Filled(w, h, 0u);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < columns; ++x) {
            image.setPixel(x, y, argb);
        }
    }
    return image;
}

// Ten columns: the cut-out covers 0-2, the border 0-4, the shadow all, so
// each layer shows where the ones above it leave room.
LayerStack Stack(EditMode page, bool forExport) {
    LayerStack s;
    s.page = page;
    s.forExport = forExport;
    s.size = QSize(10, 4);
    s.background = {BackgroundKind::Colour, kBlue, {}, Filled(1, 1, kGrey)};
    s.shadow.image = Filled(10, 4, kGreen);
    s.shadowParams.colour = 0xFF000000u;
    s.shadowParams.distance = 0;
    s.border.image = LeftColumns(10, 4, 5, kWhite);
    s.borderParams.colour = 0xFF000000u;
    s.borderParams.thickness = 0;
    s.cutOut.image = LeftColumns(10, 4, 3, kRed);
    return s;
}

QImage Compose(const LayerStack& stack) {
    QImage target = Filled(stack.size.width(), stack.size.height(), 0xFF123456u);
    EXPECT_TRUE(ComposeLayers(target, QRect(QPoint(0, 0), stack.size), stack));
    return target;
}

TEST(LayerStackTest, LayersGoBackgroundShadowBorderCutOut) {
    const QImage out = Compose(Stack(EditMode::ShadowBorder, false));
    for (int x = 0; x < 10; ++x) {
        const QRgb expected = x < 3 ? kRed : x < 5 ? kWhite : kGreen;
        EXPECT_EQ(out.pixel(x, 2), expected) << x;
    }
}

TEST(LayerStackTest, TheCutOutPageShowsNeitherShadowNorBorderButSavesThem) {
    const QImage screen = Compose(Stack(EditMode::CutOut, false));
    EXPECT_EQ(screen.pixel(1, 1), kRed);
    EXPECT_EQ(screen.pixel(4, 1), kGrey);  // the checker, whatever the background
    EXPECT_EQ(screen.pixel(8, 1), kGrey);
    const QImage saved = Compose(Stack(EditMode::CutOut, true));
    EXPECT_EQ(saved.pixel(1, 1), kRed);
    EXPECT_EQ(saved.pixel(4, 1), kWhite);
    EXPECT_EQ(saved.pixel(8, 1), kGreen);
}

TEST(LayerStackTest, LayersWhoseColourIsOffOrWhosePictureIsMissingAreLeftOut) {
    LayerStack s = Stack(EditMode::FilterToning, true);
    s.shadowParams.colour = 0x00000000u;  // off, though a picture exists
    s.border.image = QImage();
    const QImage out = Compose(s);
    EXPECT_EQ(out.pixel(1, 0), kRed);
    EXPECT_EQ(out.pixel(4, 0), kBlue);
    EXPECT_EQ(out.pixel(8, 0), kBlue);
    s.cutOut.image = QImage();
    s.background.kind = BackgroundKind::None;
    EXPECT_EQ(Compose(s).pixel(1, 0), 0x00FFFFFFu);  // cleared, nothing drawn
}

TEST(LayerStackTest, PlacementPagesDrawTheCutOutAndItsShadowInThePlacement) {
    LayerStack s;
    s.page = EditMode::ChangeBackground;
    s.forExport = true;
    s.size = QSize(12, 10);
    s.background = {BackgroundKind::Colour, kBlue, {}, {}};
    s.placement = {2.0f, 3.0f, 4.0f, 4.0f};
    s.cutOut.image = Filled(4, 4, kRed);
    s.shadow.image = Filled(4, 4, kGreen);
    s.shadowParams.colour = 0xFF000000u;
    s.shadowParams.distance = 3;
    s.shadowParams.angle = 90;  // downwards
    const QImage out = Compose(s);
    EXPECT_EQ(out.pixel(1, 3), kBlue);
    EXPECT_EQ(out.pixel(2, 3), kRed);
    EXPECT_EQ(out.pixel(5, 6), kRed);
    EXPECT_EQ(out.pixel(6, 6), kBlue);
    EXPECT_EQ(out.pixel(2, 7), kGreen);  // the shadow's lower part, 3 below
    EXPECT_EQ(out.pixel(5, 9), kGreen);
    EXPECT_EQ(out.pixel(6, 9), kBlue);
    EXPECT_EQ(CutOutRect(s), s.placement);
    s.page = EditMode::FilterToning;
    EXPECT_EQ(CutOutRect(s), (RectF{0.0f, 0.0f, 12.0f, 10.0f}));
}

TEST(LayerStackTest, OverlaysOnlyOnScreen) {
    LayerStack s;
    s.page = EditMode::ChangeSize;
    s.size = QSize(40, 30);
    s.background = {BackgroundKind::Colour, kRed, {}, {}};
    s.showCropBox = true;
    s.cropBox = {4.0f, 4.0f, 30.0f, 20.0f};
    EXPECT_EQ(Compose(s).pixel(5, 5), kBlue);  // the frame's corner
    s.forExport = true;
    EXPECT_EQ(Compose(s).pixel(5, 5), kRed);
    s.forExport = false;
    s.showCropBox = false;
    s.page = EditMode::ChangeBackground;
    s.showPlacementFrame = true;
    s.placement = {4.0f, 4.0f, 30.0f, 20.0f};
    EXPECT_EQ(Compose(s).pixel(5, 5), kBlue);
}

TEST(LayerStackTest, ComposingAPartGivesThatPartOfTheWhole) {
    LayerStack s;
    s.page = EditMode::ChangeSize;
    s.forExport = true;
    s.size = QSize(24, 18);
    QImage picture = Filled(3, 2, kGreen);
    picture.setPixel(1, 1, kWhite);
    s.background = {BackgroundKind::Picture, 0, picture, {}};
    s.placement = {3.5f, 2.25f, 13.0f, 9.5f};
    QImage cutOut = LeftColumns(8, 6, 4, 0x80FF0000u);
    cutOut.setPixel(6, 5, kRed);
    s.cutOut.image = cutOut;
    s.shadow.image = Filled(8, 6, 0x60000000u);
    s.shadowParams.colour = 0xFF000000u;
    s.shadowParams.distance = 5;
    s.shadowParams.angle = 30;
    QImage whole = Filled(24, 18, 0u);
    ASSERT_TRUE(ComposeLayers(whole, QRect(0, 0, 24, 18), s));
    const QRect area(5, 3, 11, 9);
    QImage part = Filled(area.width(), area.height(), 0u);
    ASSERT_TRUE(ComposeLayers(part, area, s));
    EXPECT_EQ(part, whole.copy(area));
}

TEST(LayerStackTest, PartsOfALayerLandWhereTheWholeWould) {
    // A 100 x 50 layer drawn over (10, 20, 200, 100): twice the size.
    EXPECT_EQ(PartRect({10.0f, 20.0f, 200.0f, 100.0f}, QSize(100, 50), QRect(30, 5, 20, 10)),
              (RectF{70.0f, 30.0f, 40.0f, 20.0f}));
    EXPECT_EQ(PartRect({10.0f, 20.0f, 200.0f, 100.0f}, QSize(100, 50), QRect()),
              (RectF{10.0f, 20.0f, 200.0f, 100.0f}));
    // The picture's area (70, 30, 40, 20) needs layer pixels (30, 5, 20, 10),
    // one more for smooth scaling, and the margin.
    EXPECT_EQ(NeededPart({10.0f, 20.0f, 200.0f, 100.0f}, QSize(100, 50), QRect(70, 30, 40, 20), 0),
              QRect(29, 4, 22, 12));
    EXPECT_EQ(NeededPart({10.0f, 20.0f, 200.0f, 100.0f}, QSize(100, 50), QRect(70, 30, 40, 20), 3),
              QRect(26, 1, 28, 18));
    // Kept inside the layer; nothing when the area misses it.
    EXPECT_EQ(NeededPart({0.0f, 0.0f, 100.0f, 50.0f}, QSize(100, 50), QRect(-10, -10, 30, 30), 5),
              QRect(0, 0, 26, 26));
    EXPECT_TRUE(NeededPart({0.0f, 0.0f, 100.0f, 50.0f}, QSize(100, 50), QRect(200, 0, 30, 30), 5)
                    .isEmpty());
    EXPECT_TRUE(
        NeededPart({0.0f, 0.0f, 0.0f, 50.0f}, QSize(100, 50), QRect(0, 0, 30, 30), 5).isEmpty());
}

TEST(LayerStackTest, ALayerGivenInPartDrawsLikeTheWhole) {
    LayerStack s;
    s.page = EditMode::FilterToning;
    s.forExport = true;
    s.size = QSize(12, 8);
    QImage cutOut = Filled(12, 8, 0u);
    for (int y = 2; y < 7; ++y) {
        for (int x = 3; x < 10; ++x) {
            cutOut.setPixel(x, y, qRgba(x * 20, y * 30, 90, 100 + x * 10));
        }
    }
    s.cutOut.image = cutOut;
    QImage whole = Filled(12, 8, 0u);
    ASSERT_TRUE(ComposeLayers(whole, QRect(0, 0, 12, 8), s));
    const QRect part(2, 1, 9, 6);
    s.cutOut = {cutOut.copy(part), part};
    QImage fromPart = Filled(12, 8, 0u);
    ASSERT_TRUE(ComposeLayers(fromPart, QRect(0, 0, 12, 8), s));
    // Where the layer is transparent the colour of the cleared picture may
    // show through as it is (outside the part) or as black (inside): both
    // are fully transparent.
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 12; ++x) {
            const QRgb expected = whole.pixel(x, y);
            const QRgb actual = fromPart.pixel(x, y);
            EXPECT_EQ(qAlpha(actual), qAlpha(expected)) << x << ", " << y;
            if (qAlpha(expected) != 0) {
                EXPECT_EQ(actual, expected) << x << ", " << y;
            }
        }
    }
}

// Source over on straight alpha, worked out in doubles.
QRgb OverByHand(QRgb src, QRgb dst) {
    const double sa = qAlpha(src) / 255.0;
    const double da = qAlpha(dst) / 255.0;
    const double a = sa + da * (1.0 - sa);
    if (a <= 0.0) {
        return 0;
    }
    const auto mix = [&](int s, int d) {
        return static_cast<int>(std::lround((s * sa + d * da * (1.0 - sa)) / a));
    };
    return qRgba(mix(qRed(src), qRed(dst)), mix(qGreen(src), qGreen(dst)),
                 mix(qBlue(src), qBlue(dst)), static_cast<int>(std::lround(a * 255.0)));
}

bool Close(QRgb a, QRgb b) {
    return std::abs(qAlpha(a) - qAlpha(b)) <= 1 && std::abs(qRed(a) - qRed(b)) <= 1 &&
           std::abs(qGreen(a) - qGreen(b)) <= 1 && std::abs(qBlue(a) - qBlue(b)) <= 1;
}

// Layers at their own size on whole pixels (the saved picture's shadow and
// cut-out) are blended without resampling; partly transparent pixels must
// mix as source over, over an opaque and over a see-through background, and
// a layer reaching past the picture is cut at its edge.
TEST(LayerStackTest, WholePixelLayersBlendAsSourceOver) {
    const QRgb shadowPixels[] = {0x80FF8000u, 0x01FFFFFFu, 0xFE102030u, 0x00FFFFFFu};
    const QRgb cutOutPixels[] = {0x40204080u, 0xC0F0E0D0u, 0xFF00FF00u, 0x00000000u};
    QImage shadow(4, 1, QImage::Format_ARGB32);
    QImage cutOut(4, 1, QImage::Format_ARGB32);
    for (int x = 0; x < 4; ++x) {
        shadow.setPixel(x, 0, shadowPixels[x]);
        cutOut.setPixel(x, 0, cutOutPixels[x]);
    }
    for (const BackgroundKind kind : {BackgroundKind::Colour, BackgroundKind::None}) {
        LayerStack s;
        s.page = EditMode::ChangeBackground;
        s.forExport = true;
        s.size = QSize(6, 3);
        s.background = {kind, 0xFF336699u, {}, {}};
        s.placement = {2.0f, 1.0f, 4.0f, 1.0f};
        s.cutOut.image = cutOut;
        s.shadow.image = shadow;
        s.shadowParams.colour = 0xFF000000u;
        s.shadowParams.distance = 0;
        const QImage out = Compose(s);
        const QRgb behind = kind == BackgroundKind::Colour ? 0xFF336699u : kClearColour;
        for (int x = 0; x < 4; ++x) {
            const QRgb want = OverByHand(cutOutPixels[x], OverByHand(shadowPixels[x], behind));
            const QRgb got = out.pixel(2 + x, 1);
            if (qAlpha(want) == 0) {
                EXPECT_EQ(qAlpha(got), 0) << x;
            } else {
                EXPECT_TRUE(Close(got, want)) << x << ": " << std::hex << got << " vs " << want;
            }
        }
        EXPECT_EQ(out.pixel(1, 1), behind);
        EXPECT_EQ(out.pixel(2, 0), behind);
        // Moved right by 4: only the first two columns remain, at 4 and 5.
        s.placement.x = 4.0f;
        s.shadowParams.colour = 0;
        const QImage cut = Compose(s);
        EXPECT_TRUE(Close(cut.pixel(5, 1), OverByHand(cutOutPixels[1], behind)));
        EXPECT_EQ(cut.pixel(3, 1), behind);
    }
}

// A saved picture's border ring is its silhouette stretched a little. The
// saved picture samples it itself; the screen leaves it to Qt's painter. The
// two are independent implementations of the same bilinear drawing and must
// agree up to rounding, including where the ring's soft edge meets the
// background and at the picture's edge.
TEST(LayerStackTest, StretchedLayerInASavedPictureMatchesThePainter) {
    QImage ring(40, 30, QImage::Format_ARGB32);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const int alpha =
                std::clamp(400 - 12 * std::abs(x - 20) - 9 * std::abs(y - 15), 0, 255);
            // Pixels the ring does not cover keep a colour that must not show.
            ring.setPixel(x, y, alpha == 0 ? 0x0000FF00u : qRgba(250, 240, 10, alpha));
        }
    }
    for (const RectF placement :
         {RectF{3.0f, 2.0f, 40.0f, 30.0f}, RectF{-5.0f, 1.0f, 40.0f, 30.0f}}) {
        LayerStack s;
        s.page = EditMode::ChangeBackground;
        s.size = QSize(48, 36);
        s.background = {BackgroundKind::Colour, 0xFF336699u, {}, {}};
        s.placement = placement;
        s.border.image = ring;
        s.borderParams.colour = 0xFF000000u;
        s.borderParams.thickness = 3;  // 40 x 30 drawn over 46 x 36
        s.forExport = true;
        const QImage saved = Compose(s);
        s.forExport = false;
        const QImage shown = Compose(s);
        int worst = 0;
        for (int y = 0; y < 36; ++y) {
            for (int x = 0; x < 48; ++x) {
                const QRgb a = saved.pixel(x, y), b = shown.pixel(x, y);
                worst =
                    std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            }
        }
        EXPECT_LE(worst, 3) << placement.x;
        // The opaque middle of the ring is its own colour, and no green
        // leaks in anywhere.
        const int cx = static_cast<int>(placement.x) + 20;
        const int cy = static_cast<int>(placement.y) + 15;
        EXPECT_EQ(saved.pixel(cx, cy), qRgba(250, 240, 10, 255));
        for (int y = 0; y < 36; ++y) {
            for (int x = 0; x < 48; ++x) {
                ASSERT_LE(qGreen(saved.pixel(x, y)), 240) << x << "," << y;
            }
        }
    }
}

TEST(LayerStackTest, AWrongTargetIsRefused) {
    const LayerStack s = Stack(EditMode::ShadowBorder, false);
    QImage small = Filled(5, 4, 0u);
    EXPECT_FALSE(ComposeLayers(small, QRect(0, 0, 10, 4), s));
    QImage premultiplied(10, 4, QImage::Format_ARGB32_Premultiplied);
    EXPECT_FALSE(ComposeLayers(premultiplied, QRect(0, 0, 10, 4), s));
    QImage none;
    EXPECT_FALSE(ComposeLayers(none, QRect(0, 0, 10, 4), s));
}

TEST(LayerStackTest, LargePicturesAreAllocatedOrRefused) {
    const QImage picture = AllocatePicture(3000, 2000);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.format(), QImage::Format_ARGB32);
    EXPECT_EQ(picture.size(), QSize(3000, 2000));
    EXPECT_TRUE(AllocatePicture(0, 10).isNull());
    EXPECT_TRUE(AllocatePicture(10, -1).isNull());
    EXPECT_TRUE(AllocatePicture(65536, 65536).isNull());  // far above imaging::kMaxPixels
}

}  // namespace
}  // namespace quillora::canvas
