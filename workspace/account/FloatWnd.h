#pragma once

#include <QImage>
#include <QWidget>

#include "ui/Notify.h"

namespace quillora {

// The user panel that opens below the login button of a signed-in user: the
// user's name, the ID with its copy button, and sign-out. A popup: a click
// elsewhere closes it. Its two buttons close it and pass their click on to
// the owner's notifications, so the main window handles "btnCopyId" and
// "btnLogout" like its own controls.
class CFloatWnd : public QWidget {
    Q_OBJECT
public:
    // Null when the layout cannot be built. `top` is the global point the
    // panel's body hangs from: its top edge there, its right edge aligned to
    // it, kept on the screen.
    static CFloatWnd* Show(ui::INotifyUI* owner, const QString& name, const QString& idText,
                           QPoint topRight);

    QWidget* Body() const { return body_; }
    QString IdText() const { return idText_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CFloatWnd(ui::INotifyUI* owner, QString idText);
    void Forward(QWidget* sender);

    ui::INotifyUI* owner_;
    QString idText_;
    QWidget* body_ = nullptr;
    int margin_ = 0;
    bool translucent_ = false;
    QImage shadowTile_;
};

}  // namespace quillora
