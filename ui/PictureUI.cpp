#include "ui/PictureUI.h"

#include "ui/PaintManager.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace quillora::ui {

CPictureUI::CPictureUI(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_StyledBackground, true);
}

void CPictureUI::SetBitmap(const QImage& image) {
    image_ = image;
    update();
}

void CPictureUI::SetSource(const QString& name) {
    source_ = name;
    const QString path = CPaintManagerUI::ResourcePath(name);
    icon_ = path.isEmpty() ? QIcon() : QIcon(path);
    update();
}

void CPictureUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The style sheet may give the picture a background of its own.
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    if (!image_.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        QSize fitted = image_.size().scaled(size(), Qt::KeepAspectRatio);
        QRect target(QPoint(0, 0), fitted);
        target.moveCenter(rect().center());
        painter.drawImage(target, image_);
    } else if (!icon_.isNull()) {
        icon_.paint(&painter, rect(), Qt::AlignCenter);
    }
}

}  // namespace quillora::ui
