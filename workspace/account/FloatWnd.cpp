#include "workspace/account/FloatWnd.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/Controls.h"
#include "ui/DialogBuilder.h"
#include "ui/WindowShadow.h"
#include "ui/X11Window.h"

namespace quillora {
namespace {

constexpr char kLayout[] = "dlg_user_panel.xml";

ui::ShadowStyle PanelShadowStyle() {
    ui::ShadowStyle style;
    style.margin = 12;
    return style;
}

}  // namespace

CFloatWnd::CFloatWnd(ui::INotifyUI* owner, QString idText)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint),
      owner_(owner),
      idText_(std::move(idText)) {
    setAttribute(Qt::WA_DeleteOnClose, true);
}

CFloatWnd* CFloatWnd::Show(ui::INotifyUI* owner, const QString& name, const QString& idText,
                           QPoint topRight) {
    auto* panel = new CFloatWnd(owner, idText);
    panel->body_ = ui::CDialogBuilder::Create(QString::fromLatin1(kLayout), nullptr, panel);
    if (panel->body_ == nullptr) {
        delete panel;
        return nullptr;
    }
    ui::SetWidgetText(panel->body_->findChild<QWidget*>(QStringLiteral("labUserName")), name);
    ui::SetWidgetText(panel->body_->findChild<QWidget*>(QStringLiteral("labUserId")), idText);
    const bool translucent = ui::HasCompositor();
    panel->setAttribute(Qt::WA_TranslucentBackground, translucent);
    panel->margin_ = translucent ? PanelShadowStyle().margin : 1;
    panel->translucent_ = translucent;
    panel->body_->setProperty("rounded", translucent);
    auto* frame = new QVBoxLayout(panel);
    frame->setContentsMargins(panel->margin_, panel->margin_, panel->margin_, panel->margin_);
    frame->addWidget(panel->body_);
    for (const char* button : {"btnCopyId", "btnLogout"}) {
        auto* item = panel->body_->findChild<QAbstractButton*>(QString::fromLatin1(button));
        if (item != nullptr) {
            connect(item, &QAbstractButton::clicked, panel,
                    [panel, item] { panel->Forward(item); });
        }
    }
    panel->adjustSize();
    QRect geometry(
        QPoint(topRight.x() + panel->margin_ - panel->width(), topRight.y() - panel->margin_),
        panel->size());
    if (const QScreen* screen = QGuiApplication::screenAt(topRight)) {
        const QRect area = screen->availableGeometry();
        geometry.moveLeft(std::max(geometry.left(), area.left()));
        geometry.moveRight(std::min(geometry.right(), area.right()));
        geometry.moveBottom(std::min(geometry.bottom(), area.bottom()));
    }
    panel->move(geometry.topLeft());
    panel->show();
    return panel;
}

void CFloatWnd::Forward(QWidget* sender) {
    hide();
    if (owner_ != nullptr) {
        ui::TNotifyUI msg;
        msg.sType = ui::notify::kClick;
        msg.pSender = sender;
        owner_->Notify(msg);
    }
    close();
}

void CFloatWnd::paintEvent(QPaintEvent*) {
    if (margin_ <= 0 || body_ == nullptr) {
        return;
    }
    QPainter painter(this);
    if (!translucent_) {
        painter.fillRect(rect(), QColor(0xC9, 0xCE, 0xD8));
        return;
    }
    const ui::ShadowStyle style = PanelShadowStyle();
    if (shadowTile_.isNull() ||
        !qFuzzyCompare(shadowTile_.devicePixelRatio(), devicePixelRatioF())) {
        shadowTile_ = ui::MakeShadowTile(style, devicePixelRatioF());
    }
    ui::PaintShadow(painter, body_->geometry(), style, shadowTile_);
}

}  // namespace quillora
