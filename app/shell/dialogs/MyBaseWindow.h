#pragma once

#include "ui/WindowImplBase.h"

namespace quillora {

// Window style of the program's dialogs: pop-up, visible, clip siblings and
// children, caption, system menu.
inline constexpr quint32 kDialogStyle = 0x96C80000;
// Result codes of modal windows.
inline constexpr int kCloseOk = 1;
inline constexpr int kCloseCancel = 2;

// The base of every window of the program. Dialogs share the window class
// "QuilloraDlg"; the frame of a dialog follows the application Config.ini
// switches EnableShadow (drop shadow) and ShowDlgBorder (one-pixel frame of
// the "DlgFrame" control).
class MyBaseWindow : public ui::WindowImplBase {
    Q_OBJECT
public:
    MyBaseWindow();

    // Set once by start-up from the application Config.ini.
    static void SetFrameSwitches(bool enableShadow, bool showDlgBorder);
    static bool ShowDlgBorder();

    QString GetWindowClassName() const override;
    // Applies the frame rule and calls OnWindowInit on "windowinit". Clicks
    // are left to the windows' own Notify, which calls OnClick.
    void Notify(ui::TNotifyUI& msg) override;
    // The program's initialisation hook, after the frame rule.
    virtual void OnWindowInit() {}
    // The library's window-class style bits, kept for reference.
    static constexpr quint32 GetClassStyle() { return 0x80B; }

protected:
    // "DlgFrame" gets a margin and a border of 1 on every side when
    // ShowDlgBorder is on, of 0 when it is off.
    void ApplyDialogFrameRule();
};

}  // namespace quillora
