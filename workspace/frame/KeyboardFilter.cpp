#include "workspace/frame/KeyboardFilter.h"

#include "canvas/widgets/CDrawPanel.h"
#include "workspace/frame/MainFrame.h"

#include <QAbstractSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace quillora {

namespace {

bool IsTextInput(const QObject* receiver) {
    return qobject_cast<const QLineEdit*>(receiver) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(receiver) != nullptr ||
           qobject_cast<const QTextEdit*>(receiver) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(receiver) != nullptr;
}

}  // namespace

KeyboardFilter::KeyboardFilter(CMainFrame& frame) : frame_(frame) {}

bool KeyboardFilter::eventFilter(QObject* watched, QEvent* event) {
    const bool down = event->type() == QEvent::KeyPress;
    if (!down && event->type() != QEvent::KeyRelease) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != &frame_) {
        return false;
    }
    auto& key = static_cast<QKeyEvent&>(*event);
    // A key the receiver ignored travels on to its parent: the same event,
    // handled once. The address alone does not tell: the next key is often
    // built where the last one was, and a control that took the last key
    // may lose the focus to its parent. A key passed up goes to the
    // receiver's own parent and carries everything it carried before.
    const KeySeen seen{event,           static_cast<int>(event->type()),
                       key.key(),       key.modifiers(),
                       key.timestamp(), key.isAutoRepeat()};
    const bool passedUp = !lastReceiver_.isNull() && seen == lastSeen_ &&
                          !lastReceiver_->isWindow() && lastReceiver_->parentWidget() == widget;
    lastSeen_ = seen;
    lastReceiver_ = widget;
    if (passedUp) {
        return key.key() == Qt::Key_Escape;
    }
    return HandleKey(watched, key, down);
}

bool KeyboardFilter::HandleKey(QObject* receiver, QKeyEvent& key, bool down) {
    if (key.key() == Qt::Key_Escape) {
        return true;
    }
    // The Ctrl flag follows the modifiers the event carries, so a release
    // missed while another window had the keyboard never leaves it stuck.
    if ((key.modifiers() & Qt::ControlModifier) != 0 && !(key.key() == Qt::Key_Control && !down)) {
        keyState_ |= kCtrlFlag;
    } else {
        keyState_ &= ~kCtrlFlag;
    }
    canvas::CDrawPanel* canvas = frame_.Canvas();
    if (IsTextInput(receiver) || canvas == nullptr || receiver == canvas) {
        return false;
    }
    switch (key.key()) {
        case Qt::Key_Space:
            if (!key.isAutoRepeat()) {
                PanKey(down);
            }
            break;
        case Qt::Key_Z:
        case Qt::Key_Y: {
            const std::uint32_t flag = key.key() == Qt::Key_Z ? kZFlag : kYFlag;
            if (down) {
                keyState_ |= flag;
                if (!key.isAutoRepeat()) {
                    HistoryKeys();
                }
            } else {
                keyState_ &= ~flag;
            }
            break;
        }
        default:
            break;
    }
    return false;
}

void KeyboardFilter::PanKey(bool down) {
    canvas::CDrawPanel* canvas = frame_.Canvas();
    if (canvas->Document().mode != canvas::EditMode::CutOut ||
        frame_.CurrentPage() != CMainFrame::kPageConver) {
        return;
    }
    // The canvas turns the brush off, shows its hand cursor and checks
    // optMover in its tool window.
    canvas->SetPanMode(down);
    canvas->update();
}

void KeyboardFilter::HistoryKeys() {
    if ((keyState_ & kCtrlFlag) == 0 || frame_.CurrentPage() != CMainFrame::kPageConver) {
        return;
    }
    canvas::CDrawPanel* canvas = frame_.Canvas();
    if ((keyState_ & kZFlag) != 0) {
        canvas->StepHistory(canvas::HistoryStep::Undo);
    } else if ((keyState_ & kYFlag) != 0) {
        canvas->StepHistory(canvas::HistoryStep::Redo);
    }
}

}  // namespace quillora
