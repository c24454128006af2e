#include "ui/TileFlowLayout.h"

#include <QWidget>
#include <QWidgetItem>

#include <algorithm>

namespace quillora::ui {

namespace {
constexpr int kDefaultSpacing = 8;
}

TileFlowLayout::TileFlowLayout(QWidget* parent) : QLayout(parent) {
    setSpacing(kDefaultSpacing);
}

TileFlowLayout::~TileFlowLayout() {
    qDeleteAll(items_);
}

void TileFlowLayout::insertWidget(int index, QWidget* widget) {
    addChildWidget(widget);
    items_.insert(std::clamp<qsizetype>(index, 0, items_.size()), new QWidgetItem(widget));
    invalidate();
}

void TileFlowLayout::addItem(QLayoutItem* item) {
    items_.append(item);
}

QLayoutItem* TileFlowLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* TileFlowLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

int TileFlowLayout::heightForWidth(int width) const {
    return Arrange(QRect(0, 0, width, 0), false);
}

QSize TileFlowLayout::sizeHint() const {
    return minimumSize();
}

QSize TileFlowLayout::minimumSize() const {
    QSize size;
    for (const QLayoutItem* item : items_) {
        size = size.expandedTo(item->minimumSize());
    }
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

void TileFlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int TileFlowLayout::Arrange(const QRect& rect, bool apply) const {
    const QRect area = rect.marginsRemoved(contentsMargins());
    int x = area.x();
    int y = area.y();
    int rowHeight = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) {
            continue;
        }
        const QSize size = item->sizeHint();
        if (x > area.x() && x + size.width() > area.right() + 1) {
            x = area.x();
            y += rowHeight + spacing();
            rowHeight = 0;
        }
        if (apply) {
            item->setGeometry(QRect(QPoint(x, y), size));
        }
        x += size.width() + spacing();
        rowHeight = std::max(rowHeight, size.height());
    }
    const QMargins m = contentsMargins();
    return y + rowHeight - rect.y() + m.bottom();
}

}  // namespace quillora::ui
