#pragma once

#include <QBasicTimer>
#include <QImage>
#include <QPoint>
#include <QString>

#include "canvas/document/Colour.h"
#include "canvas/document/LoadingAnimation.h"
#include "canvas/layout/HitTest.h"
#include "ui/ListUI.h"
#include "workspace/core/batch/ElementGeometry.h"
#include "workspace/core/batch/ElementOutput.h"

namespace quillora {

// Notifications an element sends to the window that holds its list.
inline constexpr QLatin1StringView kNotifyElementDelete{"clickbottom_deletebtn"};
inline constexpr QLatin1StringView kNotifyElementDownload{"clickbottom_downloadbtn"};

// One photo of the batch list: a preview of its cut-out with the batch's
// background, placement and crop, a loading animation while the photo is
// matted, a failure text when matting failed, and a bar with delete and
// download at its bottom while the cursor is over it.
//
// Memory: the element keeps only preview-size pictures (the photo and the
// cut-out decoded near the preview's size) and the paths; the full-size
// cut-out is decoded only while the element is saved, and the saved file is
// the one full-size pictures would give (placement and crop scaled from the
// preview). UI thread only; Look() copies what a save on another thread
// needs.
class CListFileElementUI : public ui::CListContainerElementUI {
    Q_OBJECT
public:
    static constexpr int kWidth = 200;
    static constexpr int kHeight = 220;
    static constexpr int kTimerPeriodMs = canvas::LoadingAnimation::kPeriodMs;

    explicit CListFileElementUI(QWidget* parent = nullptr);
    ~CListFileElementUI() override;

    // The photo, the element busy. Its preview is decoded near preview size
    // on a pool thread; the layout follows the size the file announces at
    // once. False, with nothing changed, for a missing file or one no decoder
    // reads or that claims too large a size.
    bool SetSource(const QString& path);
    // The cut-out file the matting service returned; empty or missing marks
    // the element failed. Ends the busy state either way; the cut-out's
    // preview is decoded on a pool thread.
    void SetResult(const QString& path);
    void SetBackgroundColour(canvas::ColourRef ref, bool off);
    // False when the file cannot be decoded; the background stays as it was.
    bool SetBackgroundImage(const QString& path);
    // The same picture for every element of a batch, decoded once.
    void SetBackgroundPicture(const QImage& picture);
    // A size option: the crop box of the preset on the preview, applied at
    // once. False for an unknown preset.
    bool SetSizePreset(int preset);
    // The batch tool page: change background or change size (which also
    // lets go of a selected cut-out).
    void SetMode(canvas::EditMode mode);

    // Writes the element's picture at full size as PNG; false without a
    // cut-out or when writing fails.
    bool SaveOutput(const QString& path);
    // What a save needs, copied; the preview is laid out first, so an element
    // that was never shown saves the same as one that was.
    batch::ElementLook Look();

    const QString& SourcePath() const { return sourcePath_; }
    const QString& ResultPath() const { return resultPath_; }
    bool IsBusy() const { return busy_; }
    bool Succeeded() const { return succeeded_; }
    // True while a preview is still being decoded.
    bool PreviewPending() const { return source_.pending || result_.pending; }
    canvas::EditMode Mode() const { return look_.mode; }
    bool PlacementSelected() const { return placementSelected_; }
    float PreviewScale() const { return layout_.scale; }
    canvas::RectF PreviewRect() const { return layout_.rect; }
    const canvas::BackgroundParams& Background() const { return look_.background; }
    bool BarShown() const { return barShown_; }
    int AnimationFrame() const { return animation_.FrameIndex(); }
    // The bar across the element (in its own pixels).
    batch::BarGeometry Bar() const;

    QSize sizeHint() const override { return {kWidth, kHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // A picture shown in the preview: decoded near preview size on a pool
    // thread, and scaled to the preview's size when painted.
    struct Preview {
        QImage near;
        QImage thumb;
        bool pending = false;     // its decode is still running
        unsigned generation = 0;  // the request an answer must belong to
    };

    void LayOut();
    void MakeThumbnails();
    void Send(QLatin1StringView type);
    void DrawBar(QPainter& painter) const;
    // Decodes path near preview size on a pool thread into preview, unless a
    // newer request for it comes first.
    void DecodePreviewLater(const QString& path, Preview& preview);
    bool ShowsAnimation() const { return busy_ || (succeeded_ && result_.pending); }
    canvas::PointF PreviewOrigin() const { return {layout_.rect.x, layout_.rect.y}; }

    QString sourcePath_;
    QString resultPath_;
    QSize photoSize_;  // the photo's own size
    Preview source_;   // the photo
    Preview result_;   // the cut-out
    QImage thumbBackground_;
    batch::PreviewLayout layout_;
    QSize laidOutPixels_;
    batch::ElementLook look_;
    bool busy_ = false;
    bool succeeded_ = true;
    bool placementSelected_ = false;
    bool mouseDown_ = false;
    QPoint lastPoint_;
    canvas::LayoutHit placementHit_ = canvas::LayoutHit::None;
    canvas::LayoutHit cropHit_ = canvas::LayoutHit::None;
    bool barShown_ = false;
    bool hoverDelete_ = false;
    bool hoverDownload_ = false;
    QImage checkerTile_;
    canvas::LoadingAnimation animation_;
    QBasicTimer timer_;
    QString failedText_;
    QString deleteText_;
    QString downloadText_;
    QString fontFamily_;
};

}  // namespace quillora
