#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "canvas/widgets/CDrawPanel.h"

namespace quillora::canvas {

namespace {

PointI CursorOf(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return {p.x(), p.y()};
}

}  // namespace

PageInputHandler* CDrawPanel::CurrentPageHandler() const {
    return pageHandlers_[static_cast<std::size_t>(ModeIndex(doc_.mode))];
}

void CDrawPanel::Apply(const PageInputResult& result) {
    ApplyCursor(result.cursor);
    if (result.repaintNow) {
        repaint();
    } else if (result.repaint) {
        update();
    }
}

void CDrawPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || doc_.busy != CanvasDocument::kReady) {
        return;
    }
    const PointI cursor = CursorOf(event);
    if (doc_.mode == EditMode::CutOut) {
        CutOutPress(cursor);
    } else if (PageInputHandler* handler = CurrentPageHandler()) {
        Apply(handler->Press(doc_, cursor));
    }
}

void CDrawPanel::mouseMoveEvent(QMouseEvent* event) {
    const PointI cursor = CursorOf(event);
    cursor_ = cursor;
    if (doc_.busy != CanvasDocument::kReady) {
        ApplyCursor(CanvasCursor::Arrow);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    if (doc_.mode == EditMode::CutOut) {
        CutOutMove(cursor);
    } else if (PageInputHandler* handler = CurrentPageHandler()) {
        Apply(handler->Move(doc_, cursor, (event->buttons() & Qt::LeftButton) != 0));
    }
}

void CDrawPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || doc_.busy != CanvasDocument::kReady) {
        return;
    }
    const PointI cursor = CursorOf(event);
    if (doc_.mode == EditMode::CutOut) {
        CutOutRelease(cursor);
    } else if (PageInputHandler* handler = CurrentPageHandler()) {
        Apply(handler->Release(doc_, cursor));
    }
}

void CDrawPanel::CutOutPress(PointI cursor) {
    InteractionState& input = doc_.input;
    input.mouseDown = true;
    input.pressPoint = input.lastPoint = cursor;
    if (input.brushEnabled && !doc_.showResult) {
        brushInput_.Press(cursor);
        return;
    }
    input.panArmed = 1;
}

void CDrawPanel::CutOutMove(PointI cursor) {
    InteractionState& input = doc_.input;
    if (brushInput_.IsDown()) {
        if (brushInput_.Move(cursor, doc_.view, doc_.brush, doc_.strokes)) {
            doc_.replayStrokes = true;
        }
        input.lastPoint = brushInput_.LastPoint();
        update();
        return;
    }
    ApplyCursor(IdleCursor());
    if (input.panMode && input.mouseDown && input.panArmed == 1) {
        if (IsBeyondMoveThreshold(input.lastPoint, cursor)) {
            doc_.PanBy(static_cast<float>(cursor.x - input.lastPoint.x),
                       static_cast<float>(cursor.y - input.lastPoint.y));
            input.lastPoint = cursor;
            repaint();
        }
        return;
    }
    if (input.brushEnabled && !doc_.showResult) {
        update();  // the brush disc follows the cursor
    }
}

void CDrawPanel::CutOutRelease(PointI cursor) {
    InteractionState& input = doc_.input;
    input.mouseDown = false;
    input.panArmed = 0;
    if (brushInput_.IsDown()) {
        if (brushInput_.Release(cursor, doc_.view, doc_.brush, doc_.strokes)) {
            doc_.replayStrokes = true;
        }
        update();
    }
}

void CDrawPanel::wheelEvent(QWheelEvent* event) {
    if (doc_.busy != CanvasDocument::kReady) {
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta > 0) {
        ZoomIn();
    } else if (delta < 0) {
        ZoomOut();
    }
    event->accept();
}

void CDrawPanel::keyPressEvent(QKeyEvent* event) {
    if (doc_.mode != EditMode::CutOut) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat()) {
            SetPanMode(true);
        }
        return;
    }
    if (event->matches(QKeySequence::Undo)) {
        StepHistory(HistoryStep::Undo);
        return;
    }
    if (event->modifiers() == Qt::ControlModifier && event->key() == Qt::Key_Y) {
        StepHistory(HistoryStep::Redo);
        return;
    }
    QWidget::keyPressEvent(event);
}

void CDrawPanel::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && doc_.input.panMode) {
        SetPanMode(false);
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void CDrawPanel::leaveEvent(QEvent* event) {
    cursor_.reset();
    if (doc_.input.brushEnabled && !doc_.showResult) {
        update();
    }
    QWidget::leaveEvent(event);
}

}  // namespace quillora::canvas
