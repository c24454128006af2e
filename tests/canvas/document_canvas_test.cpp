#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cstdint>
#include <string>
#include <vector>

#include "canvas/document/CanvasDocument.h"

namespace quillora::canvas {
namespace {

constexpr std::uint32_t kPhotoPixel = 0x80112233u;  // the photo carries its own alpha
constexpr std::uint32_t kCutOutPixel = 0xFF445566u;

class CanvasDocumentTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString Save(const QString& name, const QImage& image) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    QString SaveFilled(const QString& name, int w, int h, std::uint32_t argb) {
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(argb);
        return Save(name, image);
    }

    QString SaveBytes(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // A 40 x 30 photo in a 400 x 300 client area: fit scale 10.
    void LoadSmallPair(CanvasDocument& doc) {
        doc.Resize(400, 300);
        ASSERT_TRUE(doc.LoadSource(SaveFilled("photo.png", 40, 30, kPhotoPixel), 0.0f, true));
        ASSERT_TRUE(doc.LoadResult(SaveFilled("cutout.png", 40, 30, kCutOutPixel)));
    }

    QTemporaryDir dir_;
};

// Records what the observers hear, in order.
class EventLog : public DocumentObserver {
public:
    void PagesLaidOut(CanvasDocument&) override { events.push_back("laid out"); }
    void CutOutTaken(CanvasDocument&) override { events.push_back("cut-out"); }
    void StrokesReplayed(CanvasDocument&) override { events.push_back("replayed"); }
    void Resized(CanvasDocument&) override { events.push_back("resized"); }
    void Zoomed(CanvasDocument&) override { events.push_back("zoomed"); }
    void EffectPageEntered(CanvasDocument&) override { events.push_back("effect page"); }
    void Cleared(CanvasDocument&) override { events.push_back("cleared"); }
    std::vector<std::string> events;
};

void AddGroup(CanvasDocument& doc, const StrokeRecord& record) {
    doc.strokes.Append(record, params::kBrushSoftness.initial);
    doc.strokes.CloseGroup();
    doc.replayStrokes = true;
}

TEST_F(CanvasDocumentTest, MissingFileFailsAndKeepsTheDocument) {
    CanvasDocument doc;
    doc.Resize(400, 300);
    EXPECT_FALSE(doc.LoadSource(QString(), 0.0f, true));
    EXPECT_FALSE(doc.LoadSource(dir_.filePath("absent.png"), 0.0f, true));
    EXPECT_FALSE(doc.LoadSource(dir_.path(), 0.0f, true));  // a folder is not a photo
    EXPECT_EQ(doc.busy, CanvasDocument::kEmpty);
    EXPECT_FALSE(doc.HasSource());
}

TEST_F(CanvasDocumentTest, UndecodableOrTruncatedPhotoLeavesTheCanvasEmpty) {
    const QString good = SaveFilled("good.png", 64, 48, kPhotoPixel);
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    const QString truncated = SaveBytes("truncated.png", whole.left(whole.size() / 2));
    const QString garbage = SaveBytes("garbage.png", QByteArray("not a picture at all"));
    const QString empty = SaveBytes("empty.png", QByteArray());

    for (const QString& path : {truncated, garbage, empty}) {
        CanvasDocument doc;
        doc.Resize(400, 300);
        ASSERT_TRUE(doc.LoadSource(good, 0.0f, true));
        EXPECT_FALSE(doc.LoadSource(path, 0.0f, true)) << path.toStdString();
        EXPECT_FALSE(doc.HasSource());
        EXPECT_TRUE(doc.bitmaps.viewSource.isNull());
        EXPECT_EQ(doc.busy, CanvasDocument::kEmpty);
        // Nothing to zoom or replay on; these must be quiet no-ops.
        EXPECT_FALSE(doc.ZoomOut());
        EXPECT_FALSE(doc.LoadResult(good));
        doc.Resize(300, 200);
        EXPECT_FALSE(doc.ReplayStrokesIfNeeded() && doc.HasCutOut());
    }
}

TEST_F(CanvasDocumentTest, LoadSourceFitsEveryPageAndWaits) {
    CanvasDocument doc;
    EventLog log;
    doc.AddObserver(&log);
    doc.Resize(800, 600);
    ASSERT_TRUE(doc.LoadSource(SaveFilled("photo.png", 3000, 2000, kPhotoPixel), 0.0f, true));
    EXPECT_EQ(doc.busy, CanvasDocument::kWaiting);
    EXPECT_FALSE(doc.showResult);
    for (int m = 0; m < kEditModeCount; ++m) {
        const RectF& r = doc.view.PageRect(static_cast<EditMode>(m));
        EXPECT_FLOAT_EQ(doc.view.PageScale(static_cast<EditMode>(m)), 0.26f);
        EXPECT_NEAR(r.x, 10.0f, 1e-3f);
        EXPECT_NEAR(r.y, 40.0f, 1e-3f);
        EXPECT_NEAR(r.w, 780.0f, 1e-3f);
        EXPECT_NEAR(r.h, 520.0f, 1e-3f);
    }
    EXPECT_FLOAT_EQ(doc.view.FitScaleValue(), 0.26f);
    EXPECT_EQ(doc.bitmaps.viewSource.size(), QSize(780, 520));
    EXPECT_NEAR(doc.background.placementRect.w, 780.0f, 1e-3f);
    EXPECT_NEAR(doc.background.placementRect.h, 520.0f, 1e-3f);
    EXPECT_EQ(doc.background.placementRect.x, 0.0f);
    EXPECT_EQ(log.events, (std::vector<std::string>{"cleared", "laid out"}));
}

TEST_F(CanvasDocumentTest, GivenScaleIsUsedForEveryPage) {
    CanvasDocument doc;
    doc.Resize(800, 600);
    ASSERT_TRUE(doc.LoadSource(SaveFilled("photo.png", 200, 100, kPhotoPixel), 0.5f, true));
    for (int m = 0; m < kEditModeCount; ++m) {
        EXPECT_FLOAT_EQ(doc.view.PageScale(static_cast<EditMode>(m)), 0.5f);
    }
    EXPECT_FLOAT_EQ(doc.view.FitScaleValue(), 0.5f);
    EXPECT_EQ(doc.bitmaps.viewSource.size(), QSize(100, 50));
}

TEST_F(CanvasDocumentTest, LoadResultShowsTheEffectViewWithAPlainFilterCopy) {
    CanvasDocument doc;
    doc.Resize(400, 300);
    ASSERT_TRUE(doc.LoadSource(SaveFilled("photo.png", 40, 30, kPhotoPixel), 0.0f, true));
    QImage cutOut(40, 30, QImage::Format_ARGB32);
    cutOut.fill(kCutOutPixel);
    cutOut.setPixel(0, 0, 0x00000000u);
    cutOut.setPixel(1, 0, 0x40102030u);
    ASSERT_TRUE(doc.LoadResult(Save("cutout.png", cutOut)));
    EXPECT_TRUE(doc.showResult);
    EXPECT_EQ(doc.busy, CanvasDocument::kReady);
    EXPECT_EQ(doc.bitmaps.viewResult.size(), QSize(400, 300));
    EXPECT_EQ(doc.bitmaps.filterImage, doc.bitmaps.viewResult);
    // The tint mask: the tint's colour with the cut-out's alpha; fully
    // transparent pixels stay as they are.
    const QImage& tint = doc.bitmaps.tintMask;
    ASSERT_EQ(tint.size(), QSize(40, 30));
    EXPECT_EQ(tint.pixel(0, 0), 0x00000000u);
    EXPECT_EQ(tint.pixel(1, 0), 0x40FF0000u);
    EXPECT_EQ(tint.pixel(5, 5), 0xFFFF0000u);
}

TEST_F(CanvasDocumentTest, BadCutOutIsRefusedAndReleased) {
    CanvasDocument doc;
    doc.Resize(400, 300);
    ASSERT_TRUE(doc.LoadSource(SaveFilled("photo.png", 40, 30, kPhotoPixel), 0.0f, true));
    EXPECT_FALSE(doc.LoadResult(SaveBytes("bad.png", QByteArray("\x89PNG\r\n\x1a\n", 8))));
    EXPECT_FALSE(doc.LoadResult(dir_.filePath("absent.png")));
    EXPECT_FALSE(doc.HasCutOut());
    EXPECT_TRUE(doc.bitmaps.viewResult.isNull());
    EXPECT_TRUE(doc.bitmaps.filterImage.isNull());
    EXPECT_TRUE(doc.bitmaps.tintMask.isNull());
    EXPECT_EQ(doc.busy, CanvasDocument::kWaiting);
    EXPECT_FALSE(doc.showResult);

    CanvasDocument empty;
    EXPECT_FALSE(empty.LoadResult(SaveFilled("cutout.png", 40, 30, kCutOutPixel)));
}

TEST_F(CanvasDocumentTest, CutOutOfAnotherSizeIsBroughtToThePhotoSize) {
    CanvasDocument doc;
    doc.Resize(400, 300);
    ASSERT_TRUE(doc.LoadSource(SaveFilled("photo.png", 40, 30, kPhotoPixel), 0.0f, true));
    ASSERT_TRUE(doc.LoadResult(SaveFilled("cutout.png", 20, 60, kCutOutPixel)));
    EXPECT_EQ(doc.bitmaps.resultImage.size(), QSize(40, 30));
    EXPECT_EQ(doc.bitmaps.resultImage.pixel(39, 29), kCutOutPixel);
    // Strokes over the whole photo and beyond read only inside both.
    AddGroup(doc, MakeSegment(-20, 15, 80, 15, 40, 0, kStrokeAdd));
    ASSERT_TRUE(doc.ReplayStrokesIfNeeded());
    EXPECT_EQ(doc.bitmaps.resultImage.pixel(39, 29), kPhotoPixel);
}

TEST_F(CanvasDocumentTest, DecodedPicturesAreTakenAsTheFilesWouldBe) {
    // The cut-out brought to a photo size needs no document.
    QImage tall(20, 60, QImage::Format_ARGB32);
    tall.fill(kCutOutPixel);
    const QImage fitted = CanvasDocument::CutOutAtPhotoSize(tall, QSize(40, 30));
    ASSERT_EQ(fitted.size(), QSize(40, 30));
    EXPECT_EQ(fitted.pixel(0, 0), kCutOutPixel);
    EXPECT_EQ(fitted.pixel(39, 29), kCutOutPixel);
    EXPECT_TRUE(CanvasDocument::CutOutAtPhotoSize(QImage(), QSize(40, 30)).isNull());
    EXPECT_TRUE(CanvasDocument::CutOutAtPhotoSize(tall, QSize()).isNull());
    EXPECT_TRUE(CanvasDocument::CutOutAtPhotoSize(tall, QSize(40, 0)).isNull());

    // A decoded photo gives the document a file load would give.
    CanvasDocument fromFile;
    fromFile.Resize(400, 300);
    const QString photoPath = SaveFilled("photo.png", 40, 30, kPhotoPixel);
    ASSERT_TRUE(fromFile.LoadSource(photoPath, 0.0f, true));
    CanvasDocument fromImage;
    fromImage.Resize(400, 300);
    QImage photo(40, 30, QImage::Format_ARGB32);
    photo.fill(kPhotoPixel);
    ASSERT_TRUE(fromImage.LoadSourceImage(photo, photoPath, 0.0f, true));
    EXPECT_EQ(fromImage.sourcePath, photoPath);
    EXPECT_EQ(fromImage.busy, CanvasDocument::kWaiting);
    EXPECT_EQ(fromImage.view.Scale(), fromFile.view.Scale());
    EXPECT_EQ(fromImage.bitmaps.viewSource.size(), fromFile.bitmaps.viewSource.size());
    EXPECT_EQ(fromImage.bitmaps.viewSource.size(), QSize(400, 300));

    // The cut-out as the worker leaves it switches to the effect view; one
    // of another size is still brought to the photo's.
    ASSERT_TRUE(fromImage.LoadResultImage(tall, dir_.filePath("cut.png")));
    EXPECT_EQ(fromImage.bitmaps.resultImage.size(), QSize(40, 30));
    EXPECT_EQ(fromImage.bitmaps.resultImage.pixel(39, 29), kCutOutPixel);
    EXPECT_TRUE(fromImage.showResult);
    EXPECT_EQ(fromImage.busy, CanvasDocument::kReady);
    EXPECT_FALSE(fromImage.bitmaps.tintMask.isNull());

    // A null cut-out is refused and releases the one before; a null photo
    // empties the document, as an undecodable file does.
    EXPECT_FALSE(fromImage.LoadResultImage(QImage(), dir_.filePath("cut.png")));
    EXPECT_FALSE(fromImage.HasCutOut());
    EXPECT_TRUE(fromImage.bitmaps.viewResult.isNull());
    EXPECT_FALSE(fromImage.LoadSourceImage(QImage(), photoPath, 0.0f, true));
    EXPECT_FALSE(fromImage.HasSource());
    EXPECT_TRUE(fromImage.bitmaps.viewSource.isNull());
    CanvasDocument empty;
    EXPECT_FALSE(empty.LoadResultImage(tall, dir_.filePath("cut.png")));
    EXPECT_FALSE(empty.HasCutOut());
}

TEST_F(CanvasDocumentTest, APreparedCutOutGivesTheDocumentALoadedFileWould) {
    // A cut-out with an edge, so a wrong view picture or silhouette shows.
    QImage cut(40, 30, QImage::Format_ARGB32);
    cut.fill(0u);
    for (int y = 5; y < 25; ++y) {
        for (int x = 10; x < 30; ++x) {
            cut.setPixel(x, y, kCutOutPixel);
        }
    }
    const QString cutPath = Save("edge.png", cut);
    CanvasDocument fromFile;
    fromFile.Resize(400, 300);
    ASSERT_TRUE(fromFile.LoadSource(SaveFilled("photo.png", 40, 30, kPhotoPixel), 0.0f, true));
    ASSERT_TRUE(fromFile.LoadResult(cutPath));

    CanvasDocument prepared;
    prepared.Resize(400, 300);
    ASSERT_TRUE(prepared.LoadSource(dir_.filePath("photo.png"), 0.0f, true));
    CanvasDocument::PreparedCutOut ready = CanvasDocument::PrepareCutOut(
        QImage(cutPath), QSize(40, 30), prepared.view.Scale(), prepared.brush.tintColour);
    ASSERT_FALSE(ready.view.isNull());
    ASSERT_TRUE(prepared.LoadResultImage(std::move(ready), cutPath));
    EXPECT_EQ(prepared.bitmaps.resultImage, fromFile.bitmaps.resultImage);
    EXPECT_EQ(prepared.bitmaps.viewResult, fromFile.bitmaps.viewResult);
    EXPECT_EQ(prepared.bitmaps.filterImage, fromFile.bitmaps.filterImage);
    EXPECT_EQ(prepared.bitmaps.tintMask, fromFile.bitmaps.tintMask);

    // Made for another scale and another tint colour: both made again.
    CanvasDocument stale;
    stale.Resize(400, 300);
    ASSERT_TRUE(stale.LoadSource(dir_.filePath("photo.png"), 0.0f, true));
    const Argb otherTint = stale.brush.tintColour ^ 0x00FFFFFFu;
    ready = CanvasDocument::PrepareCutOut(QImage(cutPath), QSize(40, 30), stale.view.Scale() / 2.0f,
                                          otherTint);
    ASSERT_EQ(ready.view.size(), QSize(200, 150));
    ASSERT_TRUE(stale.LoadResultImage(std::move(ready), cutPath));
    EXPECT_EQ(stale.bitmaps.viewResult, fromFile.bitmaps.viewResult);
    EXPECT_EQ(stale.bitmaps.tintMask, fromFile.bitmaps.tintMask);
    EXPECT_EQ(stale.bitmaps.tintMask.pixel(15, 10) & 0x00FFFFFFu,
              stale.brush.tintColour & 0x00FFFFFFu);

    // Prepared for another photo size: nothing of it but the picture is
    // used, brought to this photo's size.
    CanvasDocument other;
    other.Resize(400, 300);
    ASSERT_TRUE(other.LoadSource(SaveFilled("wide.png", 80, 30, kPhotoPixel), 0.0f, true));
    ready = CanvasDocument::PrepareCutOut(QImage(cutPath), QSize(40, 30), other.view.Scale(),
                                          other.brush.tintColour);
    ASSERT_TRUE(other.LoadResultImage(std::move(ready), cutPath));
    EXPECT_EQ(other.bitmaps.resultImage.size(), QSize(80, 30));
    EXPECT_EQ(other.bitmaps.tintMask.size(), QSize(80, 30));
    EXPECT_EQ(other.bitmaps.viewResult.size(), other.bitmaps.viewSource.size());

    // Nothing decoded: nothing prepared, and the document refuses it.
    ready = CanvasDocument::PrepareCutOut(QImage(), QSize(40, 30), 1.0f, 0u);
    EXPECT_TRUE(ready.cutOut.isNull());
    EXPECT_TRUE(ready.view.isNull());
    EXPECT_FALSE(other.LoadResultImage(std::move(ready), cutPath));
    EXPECT_FALSE(other.HasCutOut());
}

TEST_F(CanvasDocumentTest, EraseThenAddRestoresThePhotoPixelWithItsAlpha) {
    CanvasDocument doc;
    LoadSmallPair(doc);
    AddGroup(doc, MakeDot(10, 10, 10, 0, kStrokeErase));
    ASSERT_TRUE(doc.ReplayStrokesIfNeeded());
    EXPECT_EQ(doc.bitmaps.resultImage.pixel(10, 10), 0u);
    AddGroup(doc, MakeDot(10, 10, 10, 1, kStrokeAdd));
    ASSERT_TRUE(doc.ReplayStrokesIfNeeded());
    EXPECT_EQ(doc.bitmaps.resultImage.pixel(10, 10), kPhotoPixel);
    EXPECT_EQ(doc.bitmaps.resultImage.pixel(30, 20), kCutOutPixel);
    // viewResult follows (scale 10: image pixel 10 is view pixel 100); its
    // smooth scaling may move a half-transparent colour by a level.
    const QRgb shown = doc.bitmaps.viewResult.pixel(105, 105);
    EXPECT_EQ(qAlpha(shown), qAlpha(kPhotoPixel));
    EXPECT_NEAR(qRed(shown), qRed(kPhotoPixel), 1);
    EXPECT_NEAR(qGreen(shown), qGreen(kPhotoPixel), 1);
    EXPECT_NEAR(qBlue(shown), qBlue(kPhotoPixel), 1);
    EXPECT_EQ(doc.bitmaps.filterImage, doc.bitmaps.viewResult);
}

TEST_F(CanvasDocumentTest, UndoStartsAgainFromTheServiceCutOut) {
    CanvasDocument doc;
    LoadSmallPair(doc);
    AddGroup(doc, MakeDot(10, 10, 10, 0, kStrokeErase));
    ASSERT_TRUE(doc.ReplayStrokesIfNeeded());
    const QImage erased = doc.bitmaps.resultImage.copy();
    ASSERT_TRUE(doc.strokes.Step(HistoryStep::Undo, nullptr));
    doc.reloadResult = true;
    ASSERT_TRUE(doc.ReplayStrokesIfNeeded());
    EXPECT_EQ(doc.bitmaps.resultImage.pixel(10, 10), kCutOutPixel);
    ASSERT_TRUE(doc.strokes.Step(HistoryStep::Redo, nullptr));
    doc.reloadResult = true;
    ASSERT_TRUE(doc.ReplayStrokesIfNeeded());
    EXPECT_EQ(doc.bitmaps.resultImage, erased);
}

TEST_F(CanvasDocumentTest, ReplayWithoutChangesKeepsTheFilteredPicture) {
    CanvasDocument doc;
    LoadSmallPair(doc);
    doc.bitmaps.filterImage.fill(0xFF00FF00u);  // stands for a filter chain's output
    ASSERT_TRUE(doc.ReplayStrokesIfNeeded());
    EXPECT_EQ(doc.bitmaps.filterImage.pixel(0, 0), 0xFF00FF00u);
}

TEST_F(CanvasDocumentTest, PageSwitchReplaysAndSelectsTheEffectView) {
    CanvasDocument doc;
    LoadSmallPair(doc);
    EventLog log;
    doc.AddObserver(&log);
    doc.SetShowResult(false);
    doc.SetMode(EditMode::CutOut);
    EXPECT_TRUE(doc.input.brushEnabled);
    AddGroup(doc, MakeDot(10, 10, 10, 0, kStrokeErase));
    doc.SetMode(EditMode::ShadowBorder);
    EXPECT_FALSE(doc.input.brushEnabled);
    EXPECT_TRUE(doc.showResult);
    EXPECT_FALSE(doc.replayStrokes);
    EXPECT_EQ(doc.bitmaps.resultImage.pixel(10, 10), 0u);
    EXPECT_EQ(log.events, (std::vector<std::string>{"replayed", "effect page"}));
    // Effect view in the cut-out page: the brush stays off.
    doc.SetMode(EditMode::CutOut);
    EXPECT_FALSE(doc.input.brushEnabled);
}

TEST_F(CanvasDocumentTest, ZoomOnlyInTheCutOutPageAndResizeGoesBackToFit) {
    CanvasDocument doc;
    doc.Resize(400, 300);
    ASSERT_TRUE(doc.LoadSource(SaveFilled("photo.png", 400, 300, kPhotoPixel), 0.0f, true));
    ASSERT_TRUE(doc.LoadResult(SaveFilled("cutout.png", 400, 300, kCutOutPixel)));
    ASSERT_FLOAT_EQ(doc.view.Scale(), 1.0f);
    ASSERT_TRUE(doc.ZoomIn());
    EXPECT_EQ(doc.bitmaps.viewSource.size(), QSize(440, 330));
    EXPECT_EQ(doc.bitmaps.viewResult.size(), QSize(440, 330));
    doc.SetMode(EditMode::FilterToning);
    EXPECT_FALSE(doc.ZoomIn());
    EXPECT_FALSE(doc.ZoomOut());
    EXPECT_FALSE(doc.ZoomToFit());
    EXPECT_FLOAT_EQ(doc.view.PageScale(EditMode::CutOut), 1.1f);
    doc.SetMode(EditMode::CutOut);
    EXPECT_FLOAT_EQ(doc.view.Scale(), 1.1f);

    doc.Resize(200, 300);
    for (int m = 0; m < kEditModeCount; ++m) {
        EXPECT_FLOAT_EQ(doc.view.PageScale(static_cast<EditMode>(m)), 0.5f);
    }
    EXPECT_EQ(doc.bitmaps.viewSource.size(), QSize(200, 150));
    EXPECT_EQ(doc.bitmaps.viewResult.size(), QSize(200, 150));
    EXPECT_EQ(doc.bitmaps.filterImage.size(), QSize(200, 150));
}

// Zoom changes only the cut-out page's scale: every page switch afterwards
// brings the view pictures to the scale of the page it selects.
TEST_F(CanvasDocumentTest, PageSwitchAfterZoomGivesViewPicturesOfThePageScale) {
    CanvasDocument doc;
    doc.Resize(400, 300);
    ASSERT_TRUE(doc.LoadSource(SaveFilled("photo.png", 400, 300, kPhotoPixel), 0.0f, true));
    ASSERT_TRUE(doc.LoadResult(SaveFilled("cutout.png", 400, 300, kCutOutPixel)));
    EventLog log;
    doc.AddObserver(&log);
    ASSERT_TRUE(doc.ZoomOut());
    ASSERT_TRUE(doc.ZoomOut());
    ASSERT_EQ(doc.bitmaps.viewResult.size(), QSize(320, 240));

    // The shadow page is at the fit scale 1.0: its pictures are 400 x 300.
    doc.SetMode(EditMode::ShadowBorder);
    EXPECT_FLOAT_EQ(doc.view.Scale(), 1.0f);
    EXPECT_EQ(doc.bitmaps.viewResult.size(), QSize(400, 300));
    EXPECT_EQ(doc.bitmaps.filterImage.size(), QSize(400, 300));
    EXPECT_EQ(doc.bitmaps.viewResult.pixel(399, 299), kCutOutPixel);
    // The filter chain and the effect layers hear of the new pictures
    // before the page's own rebuild.
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"zoomed", "zoomed", "replayed", "effect page"}));

    // Between two pages of the same scale nothing is rebuilt.
    log.events.clear();
    doc.SetMode(EditMode::FilterToning);
    EXPECT_EQ(log.events, (std::vector<std::string>{"effect page"}));

    // Back in the cut-out page the zoomed size returns.
    doc.SetMode(EditMode::CutOut);
    EXPECT_FLOAT_EQ(doc.view.Scale(), 0.8f);
    EXPECT_EQ(doc.bitmaps.viewResult.size(), QSize(320, 240));
    EXPECT_EQ(doc.bitmaps.filterImage.size(), QSize(320, 240));
    // And once more into a page of the fit scale.
    doc.SetMode(EditMode::ChangeBackground);
    EXPECT_EQ(doc.bitmaps.viewResult.size(), QSize(400, 300));
    doc.RemoveObserver(&log);
}

TEST_F(CanvasDocumentTest, ClearDocumentRestoresTheInitialValues) {
    CanvasDocument doc;
    LoadSmallPair(doc);
    AddGroup(doc, MakeDot(10, 10, 10, 0, kStrokeErase));
    doc.SetMode(EditMode::ChangeSize);
    doc.shadow = {55, 90, 7, 30, 0.3f, 0xFF000000u};
    doc.border = {9, 40, 0.4f, 0xFFFFFFFFu};
    doc.filter = {3, 10, -10, 5, 6, 7, 20, 0.2f};
    doc.brush = {BrushKind::Erase, 60, 50, 0x00123456u};
    doc.background.kind = BackgroundKind::Colour;
    doc.background.sizePreset = 7;
    doc.background.cropApplied = true;
    doc.bitmaps.backgroundImage = QImage(4, 4, QImage::Format_ARGB32);

    doc.ClearDocument();
    EXPECT_FALSE(doc.HasSource());
    EXPECT_FALSE(doc.HasCutOut());
    EXPECT_TRUE(doc.bitmaps.backgroundImage.isNull());
    EXPECT_TRUE(doc.bitmaps.viewSource.isNull());
    EXPECT_EQ(doc.busy, CanvasDocument::kEmpty);
    EXPECT_FALSE(doc.showResult);
    EXPECT_EQ(doc.mode, EditMode::CutOut);
    EXPECT_EQ(doc.strokes.Count(), 0);
    EXPECT_EQ(doc.strokes.Position(), 0);
    EXPECT_TRUE(doc.strokes.Records().empty());
    EXPECT_FLOAT_EQ(doc.view.Scale(), 1.0f);
    EXPECT_FLOAT_EQ(doc.view.FitScaleValue(), 1.0f);
    for (int m = 0; m < kEditModeCount; ++m) {
        EXPECT_FLOAT_EQ(doc.view.PageScale(static_cast<EditMode>(m)), 1.0f);
    }
    EXPECT_EQ(doc.shadow.distance, 20);
    EXPECT_EQ(doc.shadow.angle, 0);
    EXPECT_EQ(doc.shadow.blur, 20);
    EXPECT_EQ(doc.shadow.colour, 0u);
    EXPECT_EQ(doc.border.thickness, 2);
    EXPECT_EQ(doc.border.colour, 0u);
    EXPECT_EQ(doc.filter.preset, 0);
    EXPECT_EQ(doc.filter.brightness, 0);
    EXPECT_EQ(doc.filter.contrast, 0);
    EXPECT_EQ(doc.filter.sharpen, 0);
    EXPECT_EQ(doc.filter.blurry, 0);
    EXPECT_EQ(doc.filter.saturation, 0);
    EXPECT_EQ(doc.brush.kind, BrushKind::Add);
    EXPECT_EQ(doc.brush.size, 20);
    EXPECT_EQ(doc.brush.tintColour, 0x00FF0000u);
    EXPECT_EQ(doc.background.kind, BackgroundKind::None);
    EXPECT_EQ(doc.background.colour, 0x00FF0000u);
    EXPECT_EQ(doc.background.sizePreset, 0);
    EXPECT_FALSE(doc.background.cropApplied);
    EXPECT_FALSE(doc.background.cropActive);
    EXPECT_EQ(doc.background.placementRect, RectF{});
    EXPECT_EQ(doc.background.cropRect, RectF{});
    // The percentages stay; the opacities follow them.
    EXPECT_EQ(doc.shadow.transparency, 30);
    EXPECT_FLOAT_EQ(doc.shadow.opacity, 0.3f);
    EXPECT_EQ(doc.border.transparency, 40);
    EXPECT_FLOAT_EQ(doc.border.opacity, 0.4f);
    EXPECT_EQ(doc.filter.transparency, 20);
    EXPECT_FLOAT_EQ(doc.filter.opacity, 0.2f);
}

TEST_F(CanvasDocumentTest, NewPhotoDiscardsTheOldCutOutAndStrokes) {
    CanvasDocument doc;
    LoadSmallPair(doc);
    AddGroup(doc, MakeDot(10, 10, 10, 0, kStrokeErase));
    ASSERT_TRUE(doc.LoadSource(SaveFilled("second.png", 80, 60, kPhotoPixel), 0.0f, true));
    EXPECT_EQ(doc.busy, CanvasDocument::kWaiting);
    EXPECT_FALSE(doc.HasCutOut());
    EXPECT_TRUE(doc.bitmaps.tintMask.isNull());
    EXPECT_TRUE(doc.strokes.Records().empty());
    EXPECT_FALSE(doc.replayStrokes);
    EXPECT_FLOAT_EQ(doc.view.Scale(), 5.0f);
}

}  // namespace
}  // namespace quillora::canvas
