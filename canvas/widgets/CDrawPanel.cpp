#include "canvas/widgets/CDrawPanel.h"

#include <QFileInfo>
#include <QPalette>
#include <QResizeEvent>
#include <QTimerEvent>

#include "canvas/document/BuiltInImages.h"
#include "canvas/imaging/Imaging.h"
#include "canvas/layout/ViewComposition.h"
#include "canvas/widgets/CDrawPanelTool.h"

namespace quillora::canvas {

CDrawPanel::CDrawPanel(QWidget* parent) : QWidget(parent) {
    // Whatever the picture does not cover is white, also after an erase.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    composer_ = [](CanvasDocument& doc) { return ComposeView(doc); };
    SetPageInputHandler(EditMode::ChangeBackground, &layout_.PlacementHandler());
    SetPageInputHandler(EditMode::ChangeSize, &layout_.CropHandler());
    sourceOverlay_ = [this](CanvasDocument& doc, std::optional<PointI> cursor) {
        std::optional<PointF> disc;
        if (cursor) {
            disc = BrushDiscCentre(doc.input.brushEnabled, *cursor, doc.view.ViewRect());
        }
        return tintOverlay_.Render(doc.bitmaps.viewSource, doc.bitmaps.tintMask, doc.view.Scale(),
                                   doc.strokes, doc.brush, disc);
    };
    loading_.Load(QString::fromLatin1(kLoadingAnimationResource));
    loading_.SelectFirst();
    loadingTimer_ = startTimer(LoadingAnimation::kPeriodMs);
    doc_.view.SetClientSize(width(), height());
    RebuildBackBuffer();
}

CDrawPanel::~CDrawPanel() = default;

bool CDrawPanel::LoadSource(const QString& path, float scale, bool clearHistory) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return false;
    }
    return LoadSourceImage(imaging::decodeFile(path), path, scale, clearHistory);
}

bool CDrawPanel::LoadSourceImage(QImage decoded, const QString& path, float scale,
                                 bool clearHistory) {
    if (!isVisible()) {
        show();
    }
    doc_.view.SetClientSize(width(), height());
    brushInput_.Cancel();
    const bool loaded = doc_.LoadSourceImage(std::move(decoded), path, scale, clearHistory);
    loading_.SelectFirst();
    RebuildBackBuffer();
    update();
    return loaded;
}

bool CDrawPanel::LoadResult(const QString& path) {
    const bool taken = doc_.LoadResult(path);
    update();
    return taken;
}

bool CDrawPanel::LoadResultImage(QImage cutOut, const QString& path) {
    const bool taken = doc_.LoadResultImage(std::move(cutOut), path);
    update();
    return taken;
}

bool CDrawPanel::LoadResultImage(CanvasDocument::PreparedCutOut prepared, const QString& path) {
    const bool taken = doc_.LoadResultImage(std::move(prepared), path);
    update();
    return taken;
}

void CDrawPanel::ClearDocument() {
    brushInput_.Cancel();
    doc_.ClearDocument();
    tintOverlay_.Clear();
    ClearAndRepaint();
}

void CDrawPanel::SetMode(EditMode mode) {
    brushInput_.Cancel();
    doc_.SetMode(mode);
    ApplyCursor(IdleCursor());
    ShowToolWindow(mode == EditMode::CutOut);
    ClearAndRepaint();
}

void CDrawPanel::SetShowResult(bool show) {
    doc_.SetShowResult(show);
    ApplyCursor(IdleCursor());
    ClearAndRepaint();
}

void CDrawPanel::SetBrushEnabled(bool enabled) {
    doc_.input.brushEnabled = enabled && !doc_.input.panMode;
    ApplyCursor(IdleCursor());
    update();
}

void CDrawPanel::SetPanMode(bool on) {
    if (doc_.input.panMode == on) {
        return;
    }
    doc_.input.panMode = on;
    if (on) {
        doc_.input.brushEnabled = false;
        brushInput_.Cancel();
    } else {
        doc_.input.brushEnabled = doc_.mode == EditMode::CutOut && !doc_.showResult;
    }
    if (tool_ != nullptr) {
        tool_->SetMoverChecked(on);
    }
    ApplyCursor(IdleCursor());
    repaint();
    emit panModeChanged(on);
}

void CDrawPanel::AfterZoom(bool zoomed) {
    if (zoomed) {
        repaint();
    }
}

bool CDrawPanel::ZoomIn() {
    const bool zoomed = doc_.ZoomIn();
    AfterZoom(zoomed);
    return zoomed;
}

bool CDrawPanel::ZoomOut() {
    const bool zoomed = doc_.ZoomOut();
    AfterZoom(zoomed);
    return zoomed;
}

bool CDrawPanel::ZoomToFit() {
    const bool zoomed = doc_.ZoomToFit();
    AfterZoom(zoomed);
    return zoomed;
}

void CDrawPanel::StepHistory(HistoryStep step) {
    if (doc_.strokes.Step(step, confirmReset_)) {
        // Whatever the answer to a reset, the next replay starts from the
        // service's cut-out.
        doc_.reloadResult = true;
        update();
    }
}

void CDrawPanel::SetViewComposer(ViewComposer composer) {
    composer_ = std::move(composer);
    update();
}

void CDrawPanel::SetSourceOverlay(SourceOverlay overlay) {
    sourceOverlay_ = std::move(overlay);
    update();
}

void CDrawPanel::SetResetConfirmation(ResetConfirmation confirm) {
    confirmReset_ = std::move(confirm);
}

void CDrawPanel::SetPageInputHandler(EditMode mode, PageInputHandler* handler) {
    if (IsValidMode(ModeIndex(mode))) {
        pageHandlers_[static_cast<std::size_t>(ModeIndex(mode))] = handler;
    }
}

void CDrawPanel::ClearAndRepaint() {
    if (!backBuffer_.isNull()) {
        backBuffer_.fill(Qt::white);
    }
    update();
}

void CDrawPanel::RebuildBackBuffer() {
    backBuffer_ = QImage();
    if (width() > 0 && height() > 0) {
        backBuffer_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    }
    if (!backBuffer_.isNull()) {
        backBuffer_.fill(Qt::white);
    }
    if (doc_.mode == EditMode::CutOut && doc_.HasSource() && isVisible()) {
        ShowToolWindow(true);
    }
}

CDrawPanelTool* CDrawPanel::ToolWindow() {
    if (tool_ == nullptr) {
        tool_ = new CDrawPanelTool(this);
        tool_->SetMoverChecked(doc_.input.panMode);
        connect(tool_, &CDrawPanelTool::moverToggled, this, &CDrawPanel::SetPanMode);
        connect(tool_, &CDrawPanelTool::zoomInClicked, this, &CDrawPanel::ZoomIn);
        connect(tool_, &CDrawPanelTool::zoomOutClicked, this, &CDrawPanel::ZoomOut);
        connect(tool_, &CDrawPanelTool::fitClicked, this, &CDrawPanel::ZoomToFit);
    }
    return tool_;
}

void CDrawPanel::PlaceToolWindow() {
    if (tool_ != nullptr) {
        tool_->move(mapToGlobal(QPoint(width() - kToolOffsetX, height() - kToolOffsetY)));
    }
}

void CDrawPanel::ShowToolWindow(bool show) {
    if (show && doc_.mode == EditMode::CutOut) {
        ToolWindow();
        PlaceToolWindow();
        tool_->show();
    } else if (tool_ != nullptr) {
        tool_->hide();
    }
}

void CDrawPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    brushInput_.Cancel();
    doc_.Resize(width(), height());
    RebuildBackBuffer();
}

void CDrawPanel::timerEvent(QTimerEvent* event) {
    if (event->timerId() != loadingTimer_) {
        QWidget::timerEvent(event);
        return;
    }
    if (doc_.busy == CanvasDocument::kWaiting) {
        loading_.Advance();
        update();
    }
}

void CDrawPanel::ApplyCursor(CanvasCursor cursor) {
    switch (cursor) {
        case CanvasCursor::Hand:
            setCursor(Qt::OpenHandCursor);
            break;
        case CanvasCursor::Brush:
            setCursor(Qt::CrossCursor);
            break;
        case CanvasCursor::Move:
            setCursor(Qt::SizeAllCursor);
            break;
        case CanvasCursor::SizeNwSe:
            setCursor(Qt::SizeFDiagCursor);
            break;
        case CanvasCursor::SizeNeSw:
            setCursor(Qt::SizeBDiagCursor);
            break;
        case CanvasCursor::Arrow:
            setCursor(Qt::ArrowCursor);
            break;
    }
}

CanvasCursor CDrawPanel::IdleCursor() const {
    if (doc_.busy != CanvasDocument::kReady || doc_.mode != EditMode::CutOut) {
        return CanvasCursor::Arrow;
    }
    if (doc_.input.panMode) {
        return CanvasCursor::Hand;
    }
    if (doc_.input.brushEnabled && !doc_.showResult) {
        return CanvasCursor::Brush;
    }
    return CanvasCursor::Arrow;
}

}  // namespace quillora::canvas
