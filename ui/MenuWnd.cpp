#include "ui/MenuWnd.h"

#include "ui/Controls.h"
#include "ui/DialogBuilder.h"
#include "ui/WindowMessage.h"
#include "ui/WindowShadow.h"
#include "ui/X11Window.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace quillora::ui {

namespace {
ShadowStyle MenuShadowStyle() {
    ShadowStyle style;
    style.margin = 12;
    return style;
}
}  // namespace

CMenuWnd::CMenuWnd(QWidget* owner, int message)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint), owner_(owner), message_(message) {
    setAttribute(Qt::WA_DeleteOnClose, false);
}

std::unique_ptr<CMenuWnd> CMenuWnd::Show(QWidget* owner, const QString& layoutName, QPoint anchor,
                                         int message) {
    std::unique_ptr<CMenuWnd> menu(new CMenuWnd(owner, message));
    menu->body_ = CDialogBuilder::Create(layoutName, nullptr, menu.get());
    if (menu->body_ == nullptr) {
        return nullptr;
    }
    const bool translucent = HasCompositor();
    menu->setAttribute(Qt::WA_TranslucentBackground, translucent);
    menu->margin_ = translucent ? MenuShadowStyle().margin : 1;
    menu->translucent_ = translucent;
    menu->body_->setProperty("rounded", translucent);
    auto* frame = new QVBoxLayout(menu.get());
    frame->setContentsMargins(menu->margin_, menu->margin_, menu->margin_, menu->margin_);
    frame->addWidget(menu->body_);

    const auto items = menu->body_->findChildren<QAbstractButton*>();
    for (QAbstractButton* item : items) {
        CMenuWnd* self = menu.get();
        connect(item, &QAbstractButton::clicked, self,
                [self, item] { self->Choose(item->objectName()); });
    }

    menu->adjustSize();
    QRect geometry(anchor - QPoint(menu->margin_, menu->margin_), menu->size());
    if (const QScreen* screen = QGuiApplication::screenAt(anchor)) {
        const QRect area = screen->availableGeometry();
        if (geometry.right() > area.right()) {
            geometry.moveRight(area.right());
        }
        if (geometry.bottom() > area.bottom()) {
            geometry.moveBottom(area.bottom());
        }
    }
    menu->move(geometry.topLeft());
    menu->show();
    return menu;
}

bool CMenuWnd::Choose(const QString& itemName) {
    auto* item = body_ != nullptr ? body_->findChild<QAbstractButton*>(itemName) : nullptr;
    if (item == nullptr || !item->isEnabled()) {
        return false;
    }
    hide();
    auto cmd = std::make_unique<MenuCmd>(MenuCmd{itemName, item->text(), UserData(item)});
    PostWindowMessage(owner_, message_, 0, MessagePayload(std::move(cmd)));
    return true;
}

void CMenuWnd::paintEvent(QPaintEvent*) {
    if (margin_ <= 0 || body_ == nullptr) {
        return;
    }
    QPainter painter(this);
    if (!translucent_) {
        painter.fillRect(rect(), QColor(0xC9, 0xCE, 0xD8));
        return;
    }
    const ShadowStyle style = MenuShadowStyle();
    if (shadowTile_.isNull() ||
        !qFuzzyCompare(shadowTile_.devicePixelRatio(), devicePixelRatioF())) {
        shadowTile_ = MakeShadowTile(style, devicePixelRatioF());
    }
    PaintShadow(painter, body_->geometry(), style, shadowTile_);
}

}  // namespace quillora::ui
