#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace quillora::ui {

// What a menu reports about the chosen item.
struct MenuCmd {
    QString name;
    QString text;
    QString userData;
};

// A popup menu built from a layout: every button in it is an item. Choosing
// one closes the menu and posts `message` with a MenuCmd payload to the owner;
// clicking elsewhere closes it without a choice. One menu at a time: whoever
// keeps the unique_ptr frees the old menu when it makes a new one.
class CMenuWnd : public QWidget {
    Q_OBJECT
public:
    // Null when the layout cannot be built. `anchor` is the top-left corner
    // in global coordinates; the menu is kept on the screen.
    static std::unique_ptr<CMenuWnd> Show(QWidget* owner, const QString& layoutName, QPoint anchor,
                                          int message);

    QWidget* Body() const { return body_; }
    // Chooses an item as a click on it would.
    bool Choose(const QString& itemName);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CMenuWnd(QWidget* owner, int message);

    QPointer<QWidget> owner_;
    int message_;
    QWidget* body_ = nullptr;
    int margin_ = 0;
    bool translucent_ = false;
    QImage shadowTile_;
};

}  // namespace quillora::ui
