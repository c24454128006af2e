#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <cstdint>

class QKeyEvent;

namespace quillora {

class CMainFrame;

// The main window's keys, seen before its controls see them: Esc is
// swallowed so it never closes the window; Space held in the cut-out page
// pans the canvas; Ctrl+Z and Ctrl+Y undo and redo the brush strokes. The
// other keys go on to the controls. Keys typed into an edit box stay the
// edit box's, and the canvas handles the keys it receives itself.
//
// Installed on the application by the main window; UI thread only.
class KeyboardFilter : public QObject {
    Q_OBJECT
public:
    // Flags of the key-state word.
    static constexpr std::uint32_t kCtrlFlag = 0x1;
    static constexpr std::uint32_t kZFlag = 0x10;
    static constexpr std::uint32_t kYFlag = 0x100;

    explicit KeyboardFilter(CMainFrame& frame);

    std::uint32_t KeyState() const { return keyState_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool HandleKey(QObject* receiver, QKeyEvent& key, bool down);
    void PanKey(bool down);
    void HistoryKeys();

    CMainFrame& frame_;
    std::uint32_t keyState_ = 0;
    // What a key event carries; the same while it travels up the parents.
    struct KeySeen {
        const QEvent* event = nullptr;
        int type = 0;
        int key = 0;
        Qt::KeyboardModifiers modifiers;
        quint64 timestamp = 0;
        bool autoRepeat = false;
        bool operator==(const KeySeen&) const = default;
    };

    // A key event travels up through the parents; it is handled once.
    KeySeen lastSeen_;
    QPointer<QWidget> lastReceiver_;
};

}  // namespace quillora
