#pragma once

#include <QWidget>

class QAbstractButton;

namespace quillora::canvas {

// The small floating tool window of the cut-out page: the hand tool
// (optMover, checkable) and the zoom buttons (btnZoomOut, btnZoomIn, and
// btnRatioOne for the fit scale). It only reports clicks; the canvas acts.
class CDrawPanelTool : public QWidget {
    Q_OBJECT

public:
    explicit CDrawPanelTool(QWidget* owner);

    // Checks or unchecks optMover without reporting it back.
    void SetMoverChecked(bool checked);
    bool IsMoverChecked() const;

signals:
    void moverToggled(bool checked);
    void zoomInClicked();
    void zoomOutClicked();
    void fitClicked();

private:
    QAbstractButton* mover_ = nullptr;
};

}  // namespace quillora::canvas
