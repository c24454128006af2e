#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

#include "canvas/document/CanvasDocument.h"
#include "canvas/effects/EffectLayers.h"
#include "canvas/layout/BackgroundAndSize.h"
#include "canvas/layout/ExportRender.h"
#include "canvas/layout/ViewComposition.h"

namespace quillora::canvas {
namespace {

constexpr QRgb kRed = 0xFFFF0000u;
constexpr QRgb kBlueRef = 0x00FF0000u;  // blue as a colour reference (0x00BBGGRR)
constexpr QRgb kBlue = 0xFF0000FFu;
constexpr QRgb kShadowRef = 0x00004000u;  // dark green
constexpr QRgb kShadow = 0xFF004000u;

// A 1000 x 500 photo whose cut-out is an opaque red block at (300, 200),
// 200 x 100, on transparency. In a 266 x 300 client area the fit scale is
// 0.26 and the view 260 x 130.
constexpr int kPhotoW = 1000;
constexpr int kPhotoH = 500;
const QRect kBlock(300, 200, 200, 100);

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        Load(266, 300);
    }

    void Load(int clientW, int clientH) {
        QImage photo(kPhotoW, kPhotoH, QImage::Format_ARGB32);
        photo.fill(0xFF808080u);
        QImage cutOut(kPhotoW, kPhotoH, QImage::Format_ARGB32);
        cutOut.fill(0u);
        for (int y = kBlock.top(); y <= kBlock.bottom(); ++y) {
            for (int x = kBlock.left(); x <= kBlock.right(); ++x) {
                cutOut.setPixel(x, y, kRed);
            }
        }
        ASSERT_TRUE(photo.save(dir_.filePath("photo.png"), "PNG"));
        ASSERT_TRUE(cutOut.save(dir_.filePath("cutout.png"), "PNG"));
        doc_.Resize(clientW, clientH);
        ASSERT_TRUE(doc_.LoadSource(dir_.filePath("photo.png"), 0.0f, true));
        ASSERT_TRUE(doc_.LoadResult(dir_.filePath("cutout.png")));
    }

    QImage Export() {
        QImage picture;
        EXPECT_EQ(RenderExportPicture(doc_, picture), ExportStatus::Ok);
        return picture;
    }

    QTemporaryDir dir_;
    CanvasDocument doc_;
    EffectLayers effects_{doc_};
    BackgroundAndSize layout_{doc_};
};

TEST_F(ExportTest, ThePictureMovedOnScreenLandsWhereItWasShown) {
    ASSERT_FLOAT_EQ(doc_.view.PageScale(EditMode::ChangeBackground), 0.26f);
    doc_.SetMode(EditMode::ChangeBackground);
    ASSERT_TRUE(layout_.SetBackgroundColour(kBlueRef, false));
    doc_.background.placementRect.x = 26.0f;
    doc_.background.placementRect.y = 13.0f;
    const QImage saved = Export();
    ASSERT_EQ(saved.size(), QSize(kPhotoW, kPhotoH));
    // Moved by (26, 13) / 0.26 = (100, 50), pixel for pixel.
    const QRect moved = kBlock.translated(100, 50);
    EXPECT_EQ(saved.pixel(moved.topLeft()), kRed);
    EXPECT_EQ(saved.pixel(moved.bottomRight()), kRed);
    EXPECT_EQ(saved.pixel(moved.left() - 1, moved.top()), kBlue);
    EXPECT_EQ(saved.pixel(moved.left(), moved.top() - 1), kBlue);
    EXPECT_EQ(saved.pixel(moved.right() + 1, moved.bottom()), kBlue);
    EXPECT_EQ(saved.pixel(kBlock.topLeft()), kBlue);
    EXPECT_EQ(saved.pixel(0, 0), kBlue);  // the colour fills the whole picture
}

TEST_F(ExportTest, TheCutOutPageSavesTransparencyWithTheFullShadow) {
    doc_.shadow.distance = 20;
    doc_.shadow.blur = 0;
    doc_.shadow.transparency = 100;
    doc_.shadow.opacity = 1.0f;
    ASSERT_TRUE(effects_.SetShadowColour(kShadowRef, false));
    ASSERT_TRUE(layout_.SetBackgroundColour(kBlueRef, false));  // not in this page
    doc_.SetMode(EditMode::CutOut);
    const QImage saved = Export();
    ASSERT_EQ(saved.size(), QSize(kPhotoW, kPhotoH));
    EXPECT_EQ(qAlpha(saved.pixel(10, 10)), 0);
    EXPECT_EQ(saved.pixel(kBlock.topLeft()), kRed);
    EXPECT_EQ(saved.pixel(kBlock.bottomRight()), kRed);
    // The shadow is 20 image pixels to the right (on screen it is
    // trunc(20 x 0.26) = 5 view pixels).
    EXPECT_EQ(saved.pixel(kBlock.right() + 1, kBlock.top()), kShadow);
    EXPECT_EQ(saved.pixel(kBlock.right() + 20, kBlock.bottom()), kShadow);
    EXPECT_EQ(qAlpha(saved.pixel(kBlock.right() + 21, kBlock.top())), 0);
    EXPECT_EQ(qAlpha(saved.pixel(kBlock.left() + 19, kBlock.top() - 1)), 0);
}

TEST_F(ExportTest, AnActiveBorderIsSavedFromTheCutOutPage) {
    ASSERT_TRUE(effects_.SetBorderColour(0x00FFFFFFu, false));
    doc_.SetMode(EditMode::CutOut);
    const QImage saved = Export();
    // The enlarged silhouette shows just outside the block, nowhere far off.
    EXPECT_GT(qAlpha(saved.pixel(kBlock.left() - 1, kBlock.center().y())), 0);
    EXPECT_EQ(qAlpha(saved.pixel(kBlock.left() - 8, kBlock.center().y())), 0);
    EXPECT_EQ(saved.pixel(kBlock.center()), kRed);
}

TEST_F(ExportTest, IdentityPresetsSaveTheirSizeWhateverTheBox) {
    doc_.SetMode(EditMode::ChangeSize);
    ASSERT_TRUE(layout_.SetSizePreset(13));
    ASSERT_TRUE(layout_.ApplyCrop());
    const QString path = dir_.filePath("id.png");
    ASSERT_EQ(RenderOutput(doc_, path), ExportStatus::Ok);
    EXPECT_EQ(QImage(path, "PNG").size(), QSize(413, 579));
    // Preset 11 with a box shrunk by hand still saves 295 x 413.
    ASSERT_TRUE(layout_.SetSizePreset(11));
    doc_.background.cropRect.w *= 0.5f;
    doc_.background.cropRect.h *= 0.5f;
    ASSERT_TRUE(layout_.ApplyCrop());
    ASSERT_EQ(RenderOutput(doc_, path), ExportStatus::Ok);
    const QImage saved(path, "PNG");
    EXPECT_EQ(saved.size(), QSize(295, 413));
}

TEST_F(ExportTest, AStretchedCropKeepsItsColours) {
    // A 2:3 box round the block's left edge: (280, 180) to (320, 240) in
    // image pixels, stretched to 413 x 579. Left of the edge is background,
    // right of it the block.
    ASSERT_TRUE(layout_.SetBackgroundColour(kBlueRef, false));
    doc_.SetMode(EditMode::ChangeSize);
    ASSERT_TRUE(layout_.SetSizePreset(13));
    doc_.background.cropRect = {280.0f * 0.26f, 180.0f * 0.26f, 40.0f * 0.26f, 60.0f * 0.26f};
    ASSERT_TRUE(layout_.ApplyCrop());
    const QImage saved = Export();
    ASSERT_EQ(saved.size(), QSize(413, 579));
    EXPECT_EQ(saved.pixel(5, 300), kBlue);
    EXPECT_EQ(saved.pixel(407, 300), kRed);
    EXPECT_EQ(saved.pixel(407, 5), kBlue);  // above the block's top edge at 200
}

TEST_F(ExportTest, ACropOutsideTheChangeSizePageOrNotAppliedIsIgnored) {
    doc_.SetMode(EditMode::ChangeSize);
    ASSERT_TRUE(layout_.SetSizePreset(2));
    EXPECT_EQ(Export().size(), QSize(kPhotoW, kPhotoH));  // chosen, not applied
    ASSERT_TRUE(layout_.ApplyCrop());
    doc_.SetMode(EditMode::ChangeBackground);
    EXPECT_EQ(Export().size(), QSize(kPhotoW, kPhotoH));
}

TEST_F(ExportTest, RatioCropsSaveTheBoxAtFullResolution) {
    Load(500, 400);  // fit scale 0.5
    doc_.SetMode(EditMode::ChangeSize);
    ASSERT_TRUE(layout_.SetSizePreset(3));  // 2:3
    doc_.background.cropRect = {120.0f, 20.0f, 200.0f, 300.0f};
    const QImage whole = Export();
    ASSERT_TRUE(layout_.ApplyCrop());
    const QImage cropped = Export();
    ASSERT_EQ(cropped.size(), QSize(400, 600));
    // The box / 0.5 = (240, 40, 400, 600): pixel for pixel the same as the
    // uncropped picture there, and transparent below its bottom edge.
    const QRect inside = QRect(240, 40, 400, 600).intersected(whole.rect());
    EXPECT_EQ(cropped.copy(0, 0, inside.width(), inside.height()), whole.copy(inside));
    EXPECT_EQ(qAlpha(cropped.pixel(10, 599)), 0);
}

// The largest difference of any channel between two pictures of one size.
int LargestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (int shift = 0; shift < 32; shift += 8) {
                largest = std::max(largest,
                                   std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)));
            }
        }
    }
    return largest;
}

// A crop makes its layers from the part of the cut-out it needs (plus the
// reach of the blurs); the result must be what cropping the whole gives:
// exactly, except where a stretched layer (the border) is sampled from a
// part instead of the whole, which may move a level or two.
TEST_F(ExportTest, ACropHoldsWhatTheWholePictureHoldsThere) {
    Load(500, 400);
    ASSERT_TRUE(effects_.SetShadowColour(kShadowRef, false));  // blur 20, 20 to the right
    ASSERT_TRUE(effects_.SetFilterPreset(3));
    ASSERT_TRUE(effects_.SetBlurry(3));
    ASSERT_TRUE(layout_.SetBackgroundColour(kBlueRef, false));
    doc_.SetMode(EditMode::ChangeSize);
    ASSERT_TRUE(layout_.SetSizePreset(0));
    for (const bool withBorder : {false, true}) {
        if (withBorder) {
            ASSERT_TRUE(effects_.SetBorderColour(0x00FFFFFFu, false));
        }
        for (const RectF& box :
             {RectF{150.0f, 60.0f, 80.0f, 70.0f}, RectF{248.0f, 90.0f, 52.0f, 50.0f},
              RectF{0.0f, 0.0f, 60.0f, 60.0f}}) {
            doc_.background.cropRect = box;
            doc_.background.cropApplied = false;
            const QImage whole = Export();
            ASSERT_TRUE(layout_.ApplyCrop());
            const QImage cropped = Export();
            const QRect region(int(box.x * 2), int(box.y * 2), int(box.w * 2), int(box.h * 2));
            ASSERT_EQ(cropped.size(), region.size());
            EXPECT_LE(LargestDifference(cropped, whole.copy(region)), withBorder ? 2 : 0)
                << box.x << ", " << box.y << (withBorder ? " with border" : "");
        }
    }
}

TEST_F(ExportTest, FailuresSaySo) {
    CanvasDocument empty;
    QImage picture;
    EXPECT_EQ(RenderExportPicture(empty, picture), ExportStatus::NoCutOut);
    EXPECT_EQ(RenderOutput(empty, dir_.filePath("none.png")), ExportStatus::NoCutOut);
    EXPECT_FALSE(QFile::exists(dir_.filePath("none.png")));

    EXPECT_EQ(RenderOutput(doc_, dir_.filePath("no/folder/out.png")), ExportStatus::WriteFailed);

    doc_.SetMode(EditMode::ChangeSize);
    ASSERT_TRUE(layout_.SetSizePreset(0));
    doc_.background.cropRect = {10.0f, 10.0f, 0.2f, 0.2f};  // under one image pixel
    ASSERT_TRUE(layout_.ApplyCrop());
    EXPECT_EQ(RenderExportPicture(doc_, picture), ExportStatus::EmptyCrop);
    EXPECT_TRUE(picture.isNull());
}

TEST(ExportPlanTest, PlacementAndCropInImagePixels) {
    const RectF placed = ExportPlacement({26.0f, 13.0f, 259.99998f, 130.0f}, 0.26f);
    EXPECT_EQ(placed, (RectF{100.0f, 50.0f, 1000.0f, 500.0f}));
    const RectF odd = ExportPlacement({27.0f, 0.0f, 100.0f, 100.0f}, 0.26f);
    EXPECT_NEAR(odd.x, 103.846f, 0.001f);

    ExportCrop crop = PlanExportCrop({50.0f, 20.0f, 200.0f, 300.0f}, 0.5f, 3);
    EXPECT_EQ(crop.output, QSize(400, 600));
    EXPECT_EQ(crop.region, QRect(100, 40, 400, 600));
    crop = PlanExportCrop({192.857f, 0.0f, 214.286f, 300.0f}, 1.0f, 11);
    EXPECT_EQ(crop.output, QSize(295, 413));
    EXPECT_EQ(crop.region, QRect(193, 0, 214, 300));
    // A box a rounding error short of whole pixels keeps them.
    crop = PlanExportCrop({0.0f, 0.0f, 129.99998f, 64.99999f}, 0.26f, 0);
    EXPECT_EQ(crop.output, QSize(500, 250));
    EXPECT_TRUE(PlanExportCrop({0.0f, 0.0f, 0.3f, 10.0f}, 1.0f, 0).output.isEmpty());
}

TEST(ExportPlanTest, TheSizeLimitIsOneHundredMegapixels) {
    EXPECT_TRUE(ExportSizeAllowed(QSize(10000, 10000)));
    EXPECT_FALSE(ExportSizeAllowed(QSize(10000, 10001)));
    EXPECT_TRUE(ExportSizeAllowed(QSize(1, 100'000'000)));
    EXPECT_FALSE(ExportSizeAllowed(QSize(46341, 46341)));  // would overflow 32 bits
}

TEST_F(ExportTest, TheViewShowsTheLayersOfItsPage) {
    doc_.SetMode(EditMode::ChangeSize);
    doc_.view.SelectPage(doc_.mode);
    ASSERT_TRUE(layout_.SetSizePreset(2));  // 130 x 130 box at (65, 0) in 260 x 130
    ASSERT_TRUE(layout_.SetBackgroundColour(kBlueRef, false));
    const QImage view = ComposeView(doc_);
    ASSERT_EQ(view.size(), QSize(260, 130));
    EXPECT_EQ(view.pixel(66, 1), 0xFF0000FFu);  // the crop frame
    EXPECT_EQ(view.pixel(10, 60), kBlue);       // the background
    EXPECT_EQ(view.pixel(kBlock.center().x() * 26 / 100, kBlock.center().y() * 26 / 100), kRed);
    doc_.SetMode(EditMode::CutOut);
    doc_.view.SelectPage(doc_.mode);
    const QImage cutOutPage = ComposeView(doc_);
    EXPECT_NE(cutOutPage.pixel(10, 60), kBlue);  // the checker instead
    EXPECT_EQ(qAlpha(cutOutPage.pixel(10, 60)), 255);
    CanvasDocument empty;
    EXPECT_TRUE(ComposeView(empty).isNull());
}

}  // namespace
}  // namespace quillora::canvas
