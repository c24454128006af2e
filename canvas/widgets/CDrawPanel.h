#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

#include "canvas/document/CanvasDocument.h"
#include "canvas/document/LoadingAnimation.h"
#include "canvas/document/PageInput.h"
#include "canvas/effects/BrushInput.h"
#include "canvas/effects/EffectLayers.h"
#include "canvas/effects/TintOverlay.h"
#include "canvas/layout/BackgroundAndSize.h"
#include "canvas/layout/ExportRender.h"

namespace quillora::canvas {

class CDrawPanelTool;

// The editing canvas of the single-image workspace: a child window that
// shows the document (CanvasDocument), translates mouse and keys into its
// operations and paints it through a white back buffer, so that panning and
// zooming leave no trails. Everything it shows is already at view size; only
// the stroke replay touches the full-size pictures.
//
// UI thread only.
class CDrawPanel : public QWidget {
    Q_OBJECT

public:
    // White margin around the old and new picture rectangles filled before
    // each paint of the cut-out page.
    static constexpr int kEraseMargin = 10;
    // Where the tool window's corner sits, from the canvas's bottom-right.
    static constexpr int kToolOffsetX = 200;
    static constexpr int kToolOffsetY = 60;

    // The view-sized picture of the effect view (background, shadow, border,
    // cut-out, overlays). The default stacks every layer of the page.
    using ViewComposer = std::function<QImage(CanvasDocument&)>;
    // The picture of the cut-out page's source view once the cut-out is in:
    // viewSource with the tint overlay and the brush disc (the default).
    // cursor is the mouse in client pixels while it is over the canvas. A
    // null picture shows viewSource as it is.
    using SourceOverlay = std::function<QImage(CanvasDocument&, std::optional<PointI> cursor)>;
    // Asked before the strokes are reset; true goes ahead.
    using ResetConfirmation = std::function<bool()>;

    explicit CDrawPanel(QWidget* parent = nullptr);
    ~CDrawPanel() override;

    CanvasDocument& Document() { return doc_; }
    const CanvasDocument& Document() const { return doc_; }

    // The photo: false when the path is empty, names no file or cannot be
    // decoded (the canvas is then empty). Shows the canvas, waits for the
    // cut-out with the loading animation.
    bool LoadSource(const QString& path, float scale = 0.0f, bool clearHistory = true);
    // The cut-out: switches to the effect view; false when it cannot be
    // taken in (the canvas keeps waiting).
    bool LoadResult(const QString& path);
    // The same two with pictures decoded elsewhere (a worker thread); the
    // cut-out best at the photo's size (CanvasDocument::CutOutAtPhotoSize).
    bool LoadSourceImage(QImage decoded, const QString& path, float scale = 0.0f,
                         bool clearHistory = true);
    bool LoadResultImage(QImage cutOut, const QString& path);
    bool LoadResultImage(CanvasDocument::PreparedCutOut prepared, const QString& path);
    void ClearDocument();

    void SetMode(EditMode mode);
    void SetShowResult(bool show);
    // The tool window is shown only in the cut-out page.
    void ShowToolWindow(bool show);
    // The main window enables the brush when the cut-out page is selected.
    void SetBrushEnabled(bool enabled);
    // The hand tool (Space held, or optMover checked): the brush is off
    // while it is on.
    void SetPanMode(bool on);

    // Zoom steps and fit of the cut-out page; refused (false) elsewhere.
    bool ZoomIn();
    bool ZoomOut();
    bool ZoomToFit();

    // Undo, redo and reset of the strokes (reset asks first).
    void StepHistory(HistoryStep step);

    // The tool panels' values (CDrawPanelSetters.cpp). Each repaints when
    // the value changed; the pipelines run only for a change.
    void SetShadowDistance(int distance);
    void SetShadowAngle(int degrees);
    void SetShadowBlur(int radius);
    void SetShadowTransparency(int percent);
    // off: the panel chose "none" (kColourRefNone).
    void SetShadowColour(ColourRef ref, bool off);
    void SetBorderThickness(int thickness);
    void SetBorderTransparency(int percent);
    void SetBorderColour(ColourRef ref, bool off);
    void SetFilterPreset(int preset);
    void SetBrightness(int level);
    void SetContrast(int level);
    void SetSaturation(int level);
    void SetBlurry(int radius);
    void SetSharpen(int level);
    void SetFilterTransparency(int percent);
    void SetTintColour(ColourRef ref);
    // 0 adds (restores the photo), 1 erases.
    void SetBrushKind(int kind);
    void SetBrushSize(int size);
    void SetBrushSoftness(int softness);

    // The change-background page's options: a colour (off, or the "none"
    // reference, takes the background away) or a picture from a file. The
    // picture answers false when the file cannot be decoded; the background
    // shown stays as it was, and the caller says so.
    void SetBackgroundColour(ColourRef ref, bool off);
    bool SetBackgroundImage(const QString& path);
    // The change-size page's options (0..17): the largest box of the
    // preset's ratio, centred; a submitted crop is withdrawn. False for an
    // unknown preset.
    bool SetSizePreset(int preset);
    // The crop is submitted: the window is cleared to white and the
    // change-size page shows only the box's part; a save is cropped to it.
    void ApplyCrop();

    // Composes the picture of the current page at full resolution and writes
    // it as a PNG file at path. Anything but Ok deserves a message; a failed
    // save keeps an existing file. The view is left as it was.
    ExportStatus RenderOutput(const QString& path);

    // The background, placement and crop of the document.
    BackgroundAndSize& Layout() { return layout_; }

    void SetViewComposer(ViewComposer composer);
    void SetSourceOverlay(SourceOverlay overlay);
    void SetResetConfirmation(ResetConfirmation confirm);
    // Mouse handling of the change-background and change-size pages; null
    // removes it. Not owned.
    void SetPageInputHandler(EditMode mode, PageInputHandler* handler);

    // Clears the back buffer to white and repaints with erase (after a page
    // or view switch, and after a crop is applied).
    void ClearAndRepaint();

    // The tool window, created on first need.
    CDrawPanelTool* ToolWindow();
    const QImage& BackBuffer() const { return backBuffer_; }
    const LoadingAnimation& Loading() const { return loading_; }

signals:
    // The hand tool was switched on or off (Space or the tool window).
    void panModeChanged(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void RebuildBackBuffer();
    void PlaceToolWindow();
    void AfterZoom(bool zoomed);
    void ApplyCursor(CanvasCursor cursor);
    CanvasCursor IdleCursor() const;

    // Painting (CDrawPanelPaint.cpp).
    void PaintSourceView(imaging::Surface& window);
    void PaintEffectView(imaging::Surface& window);
    // The union of previousRect (when set) and viewRect grown by the erase
    // margin, inside the back buffer.
    QRect EraseArea() const;

    // Mouse handling of the cut-out page (CDrawPanelInput.cpp).
    void CutOutPress(PointI cursor);
    void CutOutMove(PointI cursor);
    void CutOutRelease(PointI cursor);
    PageInputHandler* CurrentPageHandler() const;
    void Apply(const PageInputResult& result);

    CanvasDocument doc_;
    // Shadow, border, filter and tint pictures, kept in step with doc_.
    EffectLayers effects_{doc_};
    // Background, placement and crop box; attached before the first photo
    // so that every layout of the pages places the crop box.
    BackgroundAndSize layout_{doc_};
    LoadingAnimation loading_;
    int loadingTimer_ = 0;
    QImage backBuffer_;
    QPointer<CDrawPanelTool> tool_;
    BrushInput brushInput_;
    TintOverlay tintOverlay_;
    std::optional<PointI> cursor_;
    ViewComposer composer_;
    SourceOverlay sourceOverlay_;
    ResetConfirmation confirmReset_;
    std::array<PageInputHandler*, kEditModeCount> pageHandlers_{};
};

}  // namespace quillora::canvas
