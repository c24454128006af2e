#include "ui/ListUI.h"

#include "ui/DialogBuilder.h"
#include "ui/Notify.h"
#include "ui/PaintManager.h"
#include "ui/TileFlowLayout.h"

#include <QMouseEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace quillora::ui {

CListContainerElementUI::CListContainerElementUI(QWidget* parent) : QFrame(parent) {
    setAttribute(Qt::WA_Hover, true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

CListContainerElementUI* CListContainerElementUI::Build(const QString& layoutName,
                                                        IDialogBuilderCallback* callback) {
    auto element = std::make_unique<CListContainerElementUI>();
    QWidget* body = CDialogBuilder::Create(layoutName, callback, element.get());
    if (body == nullptr) {
        return nullptr;
    }
    element->SetBody(body);
    return element.release();
}

void CListContainerElementUI::SetBody(QWidget* body) {
    if (body_ != nullptr) {
        layout()->removeWidget(body_);
        body_->deleteLater();
    }
    body_ = body;
    if (body_ != nullptr) {
        layout()->addWidget(body_);
        setMinimumSize(body_->minimumSize());
        setMaximumSize(body_->maximumSize());
    }
}

void CListContainerElementUI::SetSelected(bool selected) {
    if (selected_ == selected) {
        return;
    }
    selected_ = selected;
    // The style sheet keys on the property; make it look again.
    style()->unpolish(this);
    style()->polish(this);
    update();
}

void CListContainerElementUI::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void CListContainerElementUI::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) {
        emit clicked();
    }
}

CListUI::CListUI(QWidget* parent, Flow flow) : QScrollArea(parent), content_(new QWidget) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    // The list shows whatever lies under it; its items paint themselves.
    viewport()->setAutoFillBackground(false);
    content_->setAutoFillBackground(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    content_->setObjectName(QStringLiteral("listContent"));
    if (flow == Flow::Tiles) {
        layout_ = new TileFlowLayout(content_);
    } else {
        auto* column = new QVBoxLayout(content_);
        column->addStretch(1);
        layout_ = column;
    }
    layout_->setContentsMargins(0, 0, 0, 0);
    setWidget(content_);
}

bool CListUI::Add(QWidget* item) {
    return AddAt(item, GetCount());
}

bool CListUI::AddAt(QWidget* item, int index) {
    if (item == nullptr || index < 0 || index > GetCount() || GetItemIndex(item) >= 0) {
        return false;
    }
    if (auto* column = qobject_cast<QVBoxLayout*>(layout_)) {
        column->insertWidget(index, item);
    } else {
        static_cast<TileFlowLayout*>(layout_)->insertWidget(index, item);
    }
    items_.insert(items_.begin() + index, item);
    if (current_ >= index) {
        ++current_;
    }
    if (auto* element = qobject_cast<CListContainerElementUI*>(item)) {
        connect(element, &CListContainerElementUI::clicked, this,
                [this, element] { OnElementClicked(element); });
    }
    item->show();
    if (CPaintManagerUI* manager = CPaintManagerUI::Of(this)) {
        manager->AttachControls(item);
    }
    return true;
}

bool CListUI::Remove(QWidget* item) {
    const int index = GetItemIndex(item);
    if (index < 0) {
        return false;
    }
    items_.erase(items_.begin() + index);
    if (current_ == index) {
        current_ = -1;
    } else if (current_ > index) {
        --current_;
    }
    layout_->removeWidget(item);
    item->disconnect(this);
    item->hide();
    item->setParent(nullptr);
    item->deleteLater();
    return true;
}

void CListUI::RemoveAll() {
    while (!items_.empty()) {
        QWidget* last = items_.back();
        if (last == nullptr) {
            items_.pop_back();
            continue;
        }
        Remove(last);
    }
    current_ = -1;
}

QWidget* CListUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) {
        return nullptr;
    }
    return items_[static_cast<size_t>(index)];
}

int CListUI::GetItemIndex(const QWidget* item) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i] == item) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CListUI::SelectItem(int index) {
    if (index < -1 || index >= GetCount()) {
        return false;
    }
    if (index == current_) {
        return true;
    }
    if (auto* old = qobject_cast<CListContainerElementUI*>(GetItemAt(current_))) {
        old->SetSelected(false);
    }
    current_ = index;
    if (auto* now = qobject_cast<CListContainerElementUI*>(GetItemAt(current_))) {
        now->SetSelected(true);
        ensureWidgetVisible(now);
    }
    Notify(this, notify::kItemSelect, current_);
    return true;
}

void CListUI::OnElementClicked(CListContainerElementUI* element) {
    const QPointer<CListContainerElementUI> guard(element);
    Notify(element, notify::kItemClick, GetItemIndex(element));
    // The handler of the click may have removed the element.
    if (!guard.isNull() && GetItemIndex(element) >= 0) {
        SelectItem(GetItemIndex(element));
    }
}

void CListUI::Notify(QWidget* sender, QAnyStringView type, qint64 wParam) {
    if (CPaintManagerUI* manager = CPaintManagerUI::Of(this)) {
        manager->SendNotify(sender, type, wParam);
    }
}

}  // namespace quillora::ui
