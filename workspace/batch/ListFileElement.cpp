#include "workspace/batch/ListFileElement.h"

#include <QFileInfo>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

#include <cmath>

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "canvas/document/BuiltInImages.h"
#include "canvas/imaging/Imaging.h"
#include "canvas/layout/Background.h"
#include "canvas/layout/BoxDrag.h"
#include "canvas/layout/CropBox.h"
#include "canvas/layout/SizePresets.h"
#include "ui/OffUiThread.h"
#include "ui/PaintManager.h"

namespace quillora {

namespace {

using canvas::EditMode;
using canvas::LayoutHit;

constexpr int kMargin = batch::kElementBottomMargin;
constexpr int kBarHeight = batch::kElementBarHeight;
constexpr QRgb kFrameColour = 0xFF777777u;
constexpr QRgb kBarColour = 0x961C1D2Fu;
constexpr int kTextAlpha = 180;
constexpr int kHoverAlpha = 255;
constexpr int kDisabledAlpha = 88;
constexpr int kSeparatorAlpha = 150;
constexpr int kSeparatorInset = 8;
constexpr int kFontPixels = 14;
// A drag follows the cursor only once it is this far from the last point.
constexpr double kDragStep = 5.0;
// Pictures are decoded at most this many times the element's size, which
// keeps a batch of large photos small and the preview sharp on dense screens.
constexpr int kDecodeFactor = 2;

// The picture at path decoded to fit box (never enlarged), in ARGB32;
// fullSize gets its own size. JPEG files are scaled while they are decoded;
// other formats are decoded whole by the program's reader (several times
// faster than Qt's on the cut-outs' PNGs) and shrunk by area averaging.
QImage DecodeNear(const QString& path, QSize box, QSize* fullSize) {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isValid() && qint64{size.width()} * size.height() > imaging::kMaxPixels) {
        return {};
    }
    const bool shrink =
        size.isValid() && (size.width() > box.width() || size.height() > box.height());
    const QSize fitted = size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    if (shrink && reader.format() != "jpeg") {
        const QImage whole = imaging::decodeFile(path);
        if (whole.isNull() || whole.size() != size) {
            return {};
        }
        if (fullSize != nullptr) {
            *fullSize = size;
        }
        return imaging::scaledCopy(whole, fitted.width(), fitted.height());
    }
    if (shrink) {
        reader.setScaledSize(fitted);
    }
    QImage picture = reader.read();
    if (picture.isNull()) {
        return {};
    }
    if (fullSize != nullptr) {
        *fullSize = size.isValid() ? size : picture.size();
    }
    return picture.convertToFormat(QImage::Format_ARGB32);
}

QImage Scaled(const QImage& picture, QSize size) {
    if (picture.isNull() || size.isEmpty()) {
        return {};
    }
    if (picture.size() == size) {
        return picture;
    }
    return imaging::scaledCopy(picture, size.width(), size.height());
}

Qt::CursorShape CursorShape(LayoutHit hit) {
    switch (hit) {
        case LayoutHit::Move:
            return Qt::SizeAllCursor;
        case LayoutHit::TopLeft:
        case LayoutHit::BottomRight:
            return Qt::SizeFDiagCursor;
        case LayoutHit::TopRight:
        case LayoutHit::BottomLeft:
            return Qt::SizeBDiagCursor;
        case LayoutHit::None:
            break;
    }
    return Qt::ArrowCursor;
}

QFont DrawFont(const QString& family) {
    QFont font(family);
    font.setPixelSize(kFontPixels);
    font.setBold(true);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

canvas::RectF WholePreview(QSize pixels) {
    return {0.0f, 0.0f, static_cast<float>(pixels.width()), static_cast<float>(pixels.height())};
}

}  // namespace

CListFileElementUI::CListFileElementUI(QWidget* parent) : ui::CListContainerElementUI(parent) {
    setObjectName(QStringLiteral("listFileElement"));
    setFixedSize(kWidth, kHeight);
    setMouseTracking(true);
    checkerTile_ = imaging::decodeResource(QString::fromLatin1(canvas::kCheckerTileResource));
    animation_.Load(QString::fromLatin1(canvas::kLoadingAnimationResource));
    animation_.SelectFirst();
    timer_.start(kTimerPeriodMs, this);
    failedText_ = LangText(langkey::ui::kQuilloraFailed);
    deleteText_ = LangText(langkey::ui::kBottomBtn1);
    downloadText_ = LangText(langkey::ui::kBottomBtn2);
    fontFamily_ = LangText(langkey::ui::kDefDrawFont);
    look_.background.colour = canvas::kInitialTintColour;
}

CListFileElementUI::~CListFileElementUI() = default;

bool CListFileElementUI::SetSource(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return false;
    }
    const QSize box = QSize(kWidth, kHeight) * kDecodeFactor;
    QImageReader reader(path);
    reader.setAutoTransform(false);
    if (!reader.canRead()) {
        return false;
    }
    QSize full = reader.size();
    const bool sizeKnown = full.isValid() && !full.isEmpty();
    if (sizeKnown && qint64{full.width()} * full.height() > imaging::kMaxPixels) {
        return false;
    }
    ++source_.generation;
    source_.near = QImage();
    source_.pending = false;
    if (!sizeKnown) {
        // A format that tells its size only by decoding is decoded here.
        QImage near = DecodeNear(path, box, &full);
        if (near.isNull()) {
            return false;
        }
        source_.near = std::move(near);
    } else {
        // The preview is decoded off the UI thread: adding a batch of large
        // photos must not hold the window. The element is laid out from the
        // size the file announces and shows the photo once it is decoded.
        DecodePreviewLater(path, source_);
    }
    photoSize_ = full;
    sourcePath_ = path;
    source_.thumb = QImage();
    result_.thumb = QImage();
    busy_ = true;
    LayOut();
    update();
    return true;
}

void CListFileElementUI::DecodePreviewLater(const QString& path, Preview& preview) {
    preview.pending = true;
    const QSize box = QSize(kWidth, kHeight) * kDecodeFactor;
    ui::RunOffUiThread<QImage>(
        this, [path, box] { return DecodeNear(path, box, nullptr); },
        [this, &preview, generation = preview.generation](QImage near) {
            if (generation != preview.generation) {
                return;  // a newer picture was asked for meanwhile
            }
            preview.pending = false;
            preview.near = std::move(near);
            preview.thumb = QImage();
            update();
        });
}

void CListFileElementUI::SetResult(const QString& path) {
    ++result_.generation;
    result_.near = QImage();
    result_.thumb = QImage();
    resultPath_.clear();
    result_.pending = false;
    if (!path.isEmpty() && QFileInfo(path).isFile()) {
        resultPath_ = path;
        // A cut-out file that cannot be decoded still counts as obtained;
        // its preview stays empty and its save fails. The loading animation
        // goes on until the preview is decoded off the UI thread.
        DecodePreviewLater(path, result_);
    }
    busy_ = false;
    succeeded_ = !resultPath_.isEmpty();
    update();
}

void CListFileElementUI::SetBackgroundColour(canvas::ColourRef ref, bool off) {
    if (off || ref == canvas::kColourRefNone) {
        look_.background.kind = canvas::BackgroundKind::None;
    } else {
        look_.background.kind = canvas::BackgroundKind::Colour;
        look_.background.colour = canvas::ArgbFromColourRef(ref, look_.background.colour);
    }
    look_.backgroundPicture = QImage();
    thumbBackground_ = QImage();
    update();
}

bool CListFileElementUI::SetBackgroundImage(const QString& path) {
    QImage picture = imaging::decodeFile(path);
    if (picture.isNull()) {
        return false;
    }
    SetBackgroundPicture(picture);
    return true;
}

void CListFileElementUI::SetBackgroundPicture(const QImage& picture) {
    if (picture.isNull()) {
        return;
    }
    look_.background.kind = canvas::BackgroundKind::Picture;
    look_.backgroundPicture = picture;
    thumbBackground_ = QImage();
    update();
}

bool CListFileElementUI::SetSizePreset(int preset) {
    if (!canvas::IsValidSizePreset(preset)) {
        return false;
    }
    LayOut();
    canvas::ChooseSizePreset(look_.background, preset, layout_.rect.w, layout_.rect.h);
    look_.background.cropActive = true;
    look_.background.cropApplied = true;
    update();
    return true;
}

void CListFileElementUI::SetMode(EditMode mode) {
    look_.mode = mode;
    if (mode == EditMode::ChangeSize) {
        placementSelected_ = false;
    }
    update();
}

batch::BarGeometry CListFileElementUI::Bar() const {
    return batch::BottomBar(rect(), kMargin, kBarHeight);
}

void CListFileElementUI::LayOut() {
    layout_ = batch::LayOutPreview(rect(), photoSize_, kMargin);
    canvas::BackgroundParams& bg = look_.background;
    if (layout_.pixels != laidOutPixels_) {
        // A new preview size: the placement and the crop box start again,
        // as the canvas does when its view is laid out anew.
        laidOutPixels_ = layout_.pixels;
        bg.placementRect = {};
        bg.cropRect = {};
        source_.thumb = QImage();
        result_.thumb = QImage();
        thumbBackground_ = QImage();
    }
    look_.previewScale = layout_.scale;
    if (bg.placementRect.w == 0.0f || bg.placementRect.h == 0.0f) {
        bg.placementRect = WholePreview(layout_.pixels);
    }
    if (bg.cropActive && (bg.cropRect.w == 0.0f || bg.cropRect.h == 0.0f)) {
        canvas::ChooseSizePreset(bg, bg.sizePreset, layout_.rect.w, layout_.rect.h);
        bg.cropActive = true;
        bg.cropApplied = true;
    }
}

void CListFileElementUI::MakeThumbnails() {
    const QSize size = layout_.pixels;
    if (source_.thumb.isNull()) {
        source_.thumb = Scaled(source_.near, size);
    }
    if (result_.thumb.isNull()) {
        result_.thumb = Scaled(result_.near, size);
    }
    if (thumbBackground_.isNull() && look_.background.kind == canvas::BackgroundKind::Picture) {
        thumbBackground_ = Scaled(look_.backgroundPicture, size);
    }
}

batch::ElementLook CListFileElementUI::Look() {
    LayOut();
    return look_;
}

bool CListFileElementUI::SaveOutput(const QString& path) {
    if (resultPath_.isEmpty()) {
        return false;
    }
    return batch::SaveElementOutput(resultPath_, Look(), path) == batch::ElementSaveStatus::Ok;
}

void CListFileElementUI::Send(QLatin1StringView type) {
    if (ui::CPaintManagerUI* manager = ui::CPaintManagerUI::Of(this)) {
        manager->SendNotify(this, type);
    }
}

void CListFileElementUI::resizeEvent(QResizeEvent* event) {
    ui::CListContainerElementUI::resizeEvent(event);
    LayOut();
}

void CListFileElementUI::paintEvent(QPaintEvent* event) {
    ui::CListContainerElementUI::paintEvent(event);
    LayOut();
    MakeThumbnails();
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSize pixels = layout_.pixels;
    if (!pixels.isEmpty()) {
        QImage preview;
        if (!busy_ && succeeded_ && !result_.pending) {
            preview = batch::ComposeElementPreview(pixels, result_.thumb, look_, thumbBackground_,
                                                   checkerTile_, placementSelected_);
        } else {
            preview = imaging::newBitmap(pixels.width(), pixels.height());
            if (!preview.isNull()) {
                preview.fill(0x00FFFFFFu);
                QPainter p(&preview);
                p.setRenderHint(QPainter::SmoothPixmapTransform);
                if (!source_.thumb.isNull()) {
                    p.drawImage(QRect(QPoint(0, 0), pixels), source_.thumb);
                }
                if (!succeeded_) {
                    p.setRenderHint(QPainter::TextAntialiasing);
                    p.setFont(DrawFont(fontFamily_));
                    p.setPen(QColor(255, 255, 255));
                    p.drawText(QRect(QPoint(0, 0), pixels), Qt::AlignCenter, failedText_);
                }
            }
        }
        if (!preview.isNull()) {
            painter.drawImage(QPointF(layout_.rect.x, layout_.rect.y), preview);
        }
    }
    painter.setPen(QColor::fromRgba(kFrameColour));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(0, 0, width() - 1, height() - kMargin - 1));
    if (ShowsAnimation()) {
        const QImage& frame = animation_.CurrentFrame();
        if (!frame.isNull()) {
            painter.drawImage(
                QPoint((width() - frame.width()) / 2, (height() - frame.height()) / 2), frame);
        }
    }
    if (barShown_ || !succeeded_) {
        DrawBar(painter);
    }
}

void CListFileElementUI::DrawBar(QPainter& painter) const {
    const batch::BarGeometry bar = Bar();
    const QRect strip(bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top);
    painter.fillRect(strip, QColor::fromRgba(kBarColour));
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(DrawFont(fontFamily_));
    const QRect left(strip.left(), strip.top(), bar.middle - strip.left(), strip.height());
    const QRect right(bar.middle, strip.top(), strip.right() + 1 - bar.middle, strip.height());
    painter.setPen(QColor(255, 255, 255, hoverDelete_ ? kHoverAlpha : kTextAlpha));
    painter.drawText(left, Qt::AlignCenter, deleteText_);
    int downloadAlpha = hoverDownload_ ? kHoverAlpha : kTextAlpha;
    if (resultPath_.isEmpty()) {
        downloadAlpha = kDisabledAlpha;
    }
    painter.setPen(QColor(255, 255, 255, downloadAlpha));
    painter.drawText(right, Qt::AlignCenter, downloadText_);
    painter.setPen(QColor(255, 255, 255, kSeparatorAlpha));
    painter.drawLine(bar.middle, bar.top + kSeparatorInset, bar.middle, bar.bottom - 1);
}

void CListFileElementUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint point = event->position().toPoint();
    const batch::BarPart part = batch::BarPartAt(Bar(), point);
    if ((barShown_ || !succeeded_) && part != batch::BarPart::None) {
        hoverDelete_ = false;
        hoverDownload_ = false;
        update();
        if (part == batch::BarPart::Delete) {
            Send(kNotifyElementDelete);  // the element may be gone after this
        } else if (succeeded_) {
            Send(kNotifyElementDownload);
        }
        return;
    }
    LayOut();
    const canvas::BackgroundParams& bg = look_.background;
    const canvas::PointI at{point.x(), point.y()};
    if (look_.mode == EditMode::ChangeSize && bg.cropApplied) {
        mouseDown_ = true;
        lastPoint_ = point;
        cropHit_ = canvas::HitTestBox(bg.cropRect, PreviewOrigin(), at,
                                      !canvas::SameWholeSize(bg.cropRect, bg.placementRect));
    } else if (look_.mode == EditMode::ChangeBackground) {
        placementSelected_ = true;
        mouseDown_ = true;
        lastPoint_ = point;
        placementHit_ = canvas::HitTestBox(bg.placementRect, PreviewOrigin(), at, true);
        update();
    }
}

void CListFileElementUI::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    canvas::BackgroundParams& bg = look_.background;
    if (mouseDown_) {
        const double dx = point.x() - lastPoint_.x();
        const double dy = point.y() - lastPoint_.y();
        if (std::hypot(dx, dy) <= kDragStep) {
            return;
        }
        lastPoint_ = point;
        const float fx = static_cast<float>(dx);
        const float fy = static_cast<float>(dy);
        if (look_.mode == EditMode::ChangeSize && bg.cropApplied) {
            if (cropHit_ == LayoutHit::None) {
                if (!canvas::SameWholeSize(bg.cropRect, bg.placementRect)) {
                    bg.placementRect.x += fx;
                    bg.placementRect.y += fy;
                }
            } else {
                bg.cropRect = canvas::DragCropBox(
                    bg.cropRect, cropHit_,
                    canvas::PresetRatio(bg.sizePreset, layout_.rect.w, layout_.rect.h), fx, fy,
                    layout_.rect.w, layout_.rect.h);
            }
        } else if (look_.mode == EditMode::ChangeBackground) {
            bg.placementRect = canvas::DragPlacement(bg.placementRect, placementHit_, fx, fy);
        }
        update();
        return;
    }
    const batch::BarGeometry bar = Bar();
    const batch::BarPart part = batch::BarPartAt(bar, point);
    if (part != batch::BarPart::None) {
        barShown_ = true;
        hoverDelete_ = part == batch::BarPart::Delete;
        hoverDownload_ = part == batch::BarPart::Download;
        setCursor(Qt::ArrowCursor);
        update();
        return;
    }
    barShown_ = false;
    hoverDelete_ = false;
    hoverDownload_ = false;
    LayOut();
    const canvas::LayoutHit hit =
        canvas::HitTestPage(look_.mode, bg, PreviewOrigin(), canvas::PointI{point.x(), point.y()});
    setCursor(CursorShape(hit));
    update();
}

void CListFileElementUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if ((look_.mode == EditMode::ChangeSize && look_.background.cropApplied) ||
        look_.mode == EditMode::ChangeBackground) {
        mouseDown_ = false;
        cropHit_ = LayoutHit::None;
        placementHit_ = LayoutHit::None;
    }
}

void CListFileElementUI::leaveEvent(QEvent* event) {
    ui::CListContainerElementUI::leaveEvent(event);
    barShown_ = false;
    hoverDelete_ = false;
    hoverDownload_ = false;
    update();
}

void CListFileElementUI::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) {
        ui::CListContainerElementUI::timerEvent(event);
        return;
    }
    if (ShowsAnimation()) {
        animation_.Advance();
        update();
    }
}

}  // namespace quillora
