#include "canvas/document/CanvasDocument.h"

#include <QFileInfo>

#include <algorithm>

#include "canvas/document/BuiltInImages.h"
#include "canvas/document/StrokeDrawing.h"
#include "canvas/effects/Silhouette.h"
#include "canvas/imaging/Imaging.h"

namespace quillora::canvas {

CanvasDocument::CanvasDocument() {
    checkerTile = imaging::decodeResource(QString::fromLatin1(kCheckerTileResource));
}

void CanvasDocument::AddObserver(DocumentObserver* observer) {
    if (observer != nullptr &&
        std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
        observers_.push_back(observer);
    }
}

void CanvasDocument::RemoveObserver(DocumentObserver* observer) {
    std::erase(observers_, observer);
}

template <typename Call>
void CanvasDocument::Notify(Call call) {
    // A copy: an observer may detach itself while being told.
    const std::vector<DocumentObserver*> current = observers_;
    for (DocumentObserver* observer : current) {
        call(*observer);
    }
}

void CanvasDocument::ResetParameters() {
    const int shadowPercent = shadow.transparency;
    const int borderPercent = border.transparency;
    const int filterPercent = filter.transparency;
    shadow = ShadowParams{};
    border = BorderParams{};
    filter = FilterParams{};
    brush = BrushParams{};
    background = BackgroundParams{};
    background.colour = kClearedBackgroundColour;
    shadow.transparency = shadowPercent;
    shadow.opacity = OpacityFromPercent(shadowPercent);
    border.transparency = borderPercent;
    border.opacity = OpacityFromPercent(borderPercent);
    filter.transparency = filterPercent;
    filter.opacity = OpacityFromPercent(filterPercent);
}

void CanvasDocument::ClearDocument() {
    bitmaps = DocumentBitmaps{};
    replayer_.Clear();
    busy = kEmpty;
    showResult = false;
    mode = EditMode::CutOut;
    reloadResult = false;
    replayStrokes = false;
    strokes.Clear();
    const int clientWidth = view.ClientWidth();
    const int clientHeight = view.ClientHeight();
    view.Reset();
    view.SetClientSize(clientWidth, clientHeight);
    ResetParameters();
    Notify([this](DocumentObserver& o) { o.Cleared(*this); });
}

void CanvasDocument::LayOutAllPages() {
    view.LayoutAll();
    const RectF& cutOut = view.PageRect(EditMode::CutOut);
    background.placementRect = {0.0f, 0.0f, cutOut.w, cutOut.h};
    Notify([this](DocumentObserver& o) { o.PagesLaidOut(*this); });
}

bool CanvasDocument::LoadSource(const QString& path, float scale, bool clearHistory) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return false;
    }
    return LoadSourceImage(imaging::decodeFile(path), path, scale, clearHistory);
}

bool CanvasDocument::LoadSourceImage(QImage decoded, const QString& path, float scale,
                                     bool clearHistory) {
    ClearDocument();
    if (decoded.isNull()) {
        return false;
    }
    bitmaps.sourceImage = std::move(decoded);
    sourcePath = path;
    view.SetImageSize(bitmaps.sourceImage.width(), bitmaps.sourceImage.height());
    view.SetAllScales(scale == 0.0f ? view.CurrentFitScale() : scale);
    LayOutAllPages();
    view.SelectPage(mode);
    RebuildViewSource();
    if (clearHistory) {
        strokes.Clear();
    }
    ReleaseCutOut();
    reloadResult = false;
    replayStrokes = false;
    showResult = false;
    busy = kWaiting;
    view.SetPanOffset({});
    return true;
}

void CanvasDocument::ReleaseCutOut() {
    bitmaps.resultImage = QImage();
    bitmaps.tintMask = QImage();
    bitmaps.shadowSilhouette = QImage();
    bitmaps.borderSilhouette = QImage();
    replayer_.Clear();
}

QImage CanvasDocument::CutOutAtPhotoSize(QImage cutOut, QSize photo) {
    if (cutOut.isNull() || photo.isEmpty()) {
        return {};
    }
    if (cutOut.size() != photo) {
        cutOut = imaging::scaledCopy(cutOut, photo.width(), photo.height());
    }
    return cutOut;
}

bool CanvasDocument::LoadResult(const QString& path) {
    // Without a photo nothing is decoded: the answer is refused anyway.
    QImage cutOut;
    if (HasSource()) {
        cutOut = CutOutAtPhotoSize(imaging::decodeFile(path), bitmaps.sourceImage.size());
    }
    return LoadResultImage(std::move(cutOut), path);
}

bool CanvasDocument::LoadResultImage(QImage cutOut, const QString& path) {
    PreparedCutOut prepared;
    prepared.cutOut = std::move(cutOut);
    return LoadResultImage(std::move(prepared), path);
}

CanvasDocument::PreparedCutOut CanvasDocument::PrepareCutOut(QImage decoded, QSize photo,
                                                             float viewScale, Argb tintColour) {
    PreparedCutOut prepared;
    prepared.cutOut = CutOutAtPhotoSize(std::move(decoded), photo);
    if (prepared.cutOut.isNull()) {
        return prepared;
    }
    prepared.view = imaging::scaledCopy(
        prepared.cutOut, ViewPixels(static_cast<float>(prepared.cutOut.width()) * viewScale),
        ViewPixels(static_cast<float>(prepared.cutOut.height()) * viewScale));
    prepared.silhouette = MakeSilhouette(prepared.cutOut, tintColour);
    prepared.silhouetteColour = tintColour;
    return prepared;
}

bool CanvasDocument::LoadResultImage(PreparedCutOut prepared, const QString& path) {
    ReleaseCutOut();
    bitmaps.viewResult = QImage();
    bitmaps.filterImage = QImage();
    // A cut-out without a photo, or one the photo's size cannot be given to,
    // is refused below. The prepared pieces belong to the cut-out only when
    // it already had the photo's size.
    const bool piecesFit = HasSource() && prepared.cutOut.size() == bitmaps.sourceImage.size();
    bitmaps.resultImage =
        HasSource() ? CutOutAtPhotoSize(std::move(prepared.cutOut), bitmaps.sourceImage.size())
                    : QImage();
    resultPath = path;
    if (piecesFit && !prepared.view.isNull()) {
        bitmaps.viewResult = std::move(prepared.view);
    }
    if (bitmaps.viewResult.isNull() || !ViewResultFitsScale()) {
        RebuildViewResult();
    }
    bitmaps.filterImage = imaging::copyArea(bitmaps.viewResult);
    bitmaps.tintMask = (piecesFit && !prepared.silhouette.isNull() &&
                        prepared.silhouetteColour == brush.tintColour)
                           ? std::move(prepared.silhouette)
                           : MakeSilhouette(bitmaps.resultImage, brush.tintColour);
    if (bitmaps.resultImage.isNull() || bitmaps.viewResult.isNull() ||
        bitmaps.filterImage.isNull() || bitmaps.tintMask.isNull() ||
        !replayer_.SetCutOut(bitmaps.resultImage)) {
        ReleaseCutOut();
        bitmaps.viewResult = QImage();
        bitmaps.filterImage = QImage();
        return false;
    }
    showResult = true;
    busy = kReady;
    Notify([this](DocumentObserver& o) { o.CutOutTaken(*this); });
    return true;
}

void CanvasDocument::RebuildViewSource() {
    const float s = view.PageScale(EditMode::CutOut);
    const QImage& source = bitmaps.sourceImage;
    bitmaps.viewSource =
        imaging::scaledCopy(source, ViewPixels(static_cast<float>(source.width()) * s),
                            ViewPixels(static_cast<float>(source.height()) * s));
}

void CanvasDocument::RebuildViewResult() {
    const float s = view.Scale();
    const QImage& result = bitmaps.resultImage;
    bitmaps.viewResult =
        imaging::scaledCopy(result, ViewPixels(static_cast<float>(result.width()) * s),
                            ViewPixels(static_cast<float>(result.height()) * s));
}

bool CanvasDocument::ViewResultFitsScale() const {
    const float s = view.Scale();
    const QImage& result = bitmaps.resultImage;
    return bitmaps.viewResult.size() == QSize(ViewPixels(static_cast<float>(result.width()) * s),
                                              ViewPixels(static_cast<float>(result.height()) * s));
}

void CanvasDocument::ResetFilterImage() {
    bitmaps.filterImage = imaging::copyArea(bitmaps.viewResult);
}

void CanvasDocument::SetMode(EditMode newMode) {
    if (!IsValidMode(ModeIndex(newMode))) {
        return;
    }
    if (newMode != EditMode::CutOut) {
        input.brushEnabled = false;
        showResult = true;
    } else if (!showResult && !input.panMode) {
        input.brushEnabled = true;
    }
    mode = newMode;
    view.SelectPage(mode);
    // Zoom changes only the cut-out page's scale, so the pages may differ:
    // the view pictures follow the scale of the page selected. A pending
    // replay rebuilds them anyway.
    if (HasCutOut() && !replayStrokes && !reloadResult && !ViewResultFitsScale()) {
        RebuildViewResult();
        ResetFilterImage();
        Notify([this](DocumentObserver& o) { o.StrokesReplayed(*this); });
    }
    if (mode != EditMode::CutOut) {
        ReplayStrokesIfNeeded();
        Notify([this](DocumentObserver& o) { o.EffectPageEntered(*this); });
    }
}

void CanvasDocument::SetShowResult(bool show) {
    showResult = show;
    if (show) {
        input.brushEnabled = false;
    }
}

bool CanvasDocument::ZoomIn() {
    if (!HasSource() || !view.ZoomIn(mode)) {
        return false;
    }
    RebuildViewSource();
    RebuildViewResult();
    Notify([this](DocumentObserver& o) { o.Zoomed(*this); });
    return true;
}

bool CanvasDocument::ZoomOut() {
    if (!HasSource() || !view.ZoomOut(mode)) {
        return false;
    }
    RebuildViewSource();
    RebuildViewResult();
    Notify([this](DocumentObserver& o) { o.Zoomed(*this); });
    return true;
}

bool CanvasDocument::ZoomToFit() {
    if (!HasSource() || !view.ZoomToFit(mode)) {
        return false;
    }
    RebuildViewSource();
    RebuildViewResult();
    Notify([this](DocumentObserver& o) { o.Zoomed(*this); });
    return true;
}

void CanvasDocument::PanBy(float dx, float dy) {
    view.PanBy(mode, dx, dy);
}

void CanvasDocument::Resize(int clientWidth, int clientHeight) {
    view.SetClientSize(clientWidth, clientHeight);
    if (!HasSource()) {
        return;
    }
    view.SetAllScales(view.CurrentFitScale());
    LayOutAllPages();
    view.SelectPage(mode);
    RebuildViewSource();
    if (HasCutOut()) {
        RebuildViewResult();
        ResetFilterImage();
    }
    Notify([this](DocumentObserver& o) { o.Resized(*this); });
}

bool CanvasDocument::ReplayStrokesIfNeeded() {
    if (!replayStrokes && !reloadResult) {
        return true;
    }
    return ApplyStrokes();
}

bool CanvasDocument::ApplyStrokes() {
    replayStrokes = false;
    const bool fromStart = reloadResult;
    reloadResult = false;
    if (!HasCutOut()) {
        return false;
    }
    if (!replayer_.Update(bitmaps.resultImage, bitmaps.sourceImage, strokes, fromStart)) {
        return false;
    }
    if (fromStart || !replayer_.LastChange().IsEmpty() || bitmaps.viewResult.isNull() ||
        !ViewResultFitsScale()) {
        RebuildViewResult();
        ResetFilterImage();
        Notify([this](DocumentObserver& o) { o.StrokesReplayed(*this); });
    }
    return !bitmaps.viewResult.isNull();
}

void CanvasDocument::DrawStrokes(imaging::Surface& surface, Argb addColour,
                                 std::uint32_t groupFilter, bool imageSpace) const {
    const StrokeSpace space = imageSpace ? StrokeSpace::Image() : StrokeSpace::View(view.Scale());
    canvas::DrawStrokes(surface, strokes.Records(), addColour, groupFilter, space);
}

}  // namespace quillora::canvas
