#include "app/shell/dialogs/MyBaseWindow.h"

#include <QStyle>
#include <QWidget>

namespace quillora {

namespace {

struct FrameSwitches {
    bool enableShadow = true;
    bool showDlgBorder = false;
};

FrameSwitches& Switches() {
    static FrameSwitches switches;
    return switches;
}

constexpr char kDlgFrame[] = "DlgFrame";
constexpr char kFrameBorderProperty[] = "frameBorder";

}  // namespace

MyBaseWindow::MyBaseWindow() {
    SetShadowEnabled(Switches().enableShadow);
}

void MyBaseWindow::SetFrameSwitches(bool enableShadow, bool showDlgBorder) {
    Switches() = {enableShadow, showDlgBorder};
}

bool MyBaseWindow::ShowDlgBorder() {
    return Switches().showDlgBorder;
}

QString MyBaseWindow::GetWindowClassName() const {
    return QStringLiteral("QuilloraDlg");
}

void MyBaseWindow::Notify(ui::TNotifyUI& msg) {
    if (msg.sType == ui::notify::kWindowInit) {
        ApplyDialogFrameRule();
        OnWindowInit();
    }
}

void MyBaseWindow::ApplyDialogFrameRule() {
    QWidget* frame = FindControl(QString::fromLatin1(kDlgFrame));
    if (frame == nullptr) {
        return;
    }
    const int size = ShowDlgBorder() ? 1 : 0;
    frame->setContentsMargins(size, size, size, size);
    frame->setProperty(kFrameBorderProperty, size == 1);
    frame->style()->unpolish(frame);
    frame->style()->polish(frame);
}

}  // namespace quillora
