#include "ui/Controls.h"

#include "ui/ListUI.h"
#include "ui/PaintManager.h"
#include "ui/PictureUI.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QSlider>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>
#include <QVariant>

namespace quillora::ui {

namespace {

constexpr char kUserData[] = "userdata";

QLayout* ItemLayout(const QWidget* container) {
    if (const auto* scroll = qobject_cast<const QScrollArea*>(container)) {
        return scroll->widget() != nullptr ? scroll->widget()->layout() : nullptr;
    }
    return container != nullptr ? container->layout() : nullptr;
}

QString QuoteForStyleSheet(const QString& path) {
    QString quoted = path;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

bool SetWidgetText(QWidget* widget, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        plain->setPlainText(text);
    } else if (auto* rich = qobject_cast<QTextEdit*>(widget)) {
        rich->setPlainText(text);
    } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        box->setTitle(text);
    } else if (widget != nullptr && widget->isWindow()) {
        widget->setWindowTitle(text);
    } else {
        return false;
    }
    return true;
}

QString WidgetText(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return edit->text();
    }
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(widget)) {
        return plain->toPlainText();
    }
    if (const auto* rich = qobject_cast<const QTextEdit*>(widget)) {
        return rich->toPlainText();
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(widget)) {
        return box->title();
    }
    return {};
}

bool SetWidgetChecked(QWidget* widget, bool checked) {
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (button == nullptr || !button->isCheckable()) {
        return false;
    }
    button->setChecked(checked);
    return true;
}

bool IsWidgetChecked(const QWidget* widget) {
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    return button != nullptr && button->isChecked();
}

bool SetWidgetBkImage(QWidget* widget, const QString& image) {
    if (widget == nullptr) {
        return false;
    }
    if (image.isEmpty()) {
        widget->setStyleSheet(QString());
        return true;
    }
    const QString path = CPaintManagerUI::ResourcePath(image);
    if (path.isEmpty()) {
        return false;
    }
    if (widget->objectName().isEmpty()) {
        widget->setObjectName(
            QStringLiteral("bk%1").arg(reinterpret_cast<quintptr>(widget), 0, 16));
    }
    widget->setAttribute(Qt::WA_StyledBackground, true);
    widget->setStyleSheet(QStringLiteral("#%1 { border-image: url(%2) 0 0 0 0 stretch stretch; }")
                              .arg(widget->objectName(), QuoteForStyleSheet(path)));
    return true;
}

bool SetProgressValue(QWidget* widget, int value) {
    auto* bar = qobject_cast<QProgressBar*>(widget);
    if (bar == nullptr) {
        return false;
    }
    bar->setValue(value);
    return true;
}

bool SetSliderValue(QWidget* widget, int value) {
    auto* slider = qobject_cast<QSlider*>(widget);
    if (slider == nullptr) {
        return false;
    }
    slider->setValue(value);
    return true;
}

bool SelectTabItem(QWidget* tab, int index) {
    if (auto* stack = qobject_cast<QStackedWidget*>(tab)) {
        if (index < 0 || index >= stack->count()) {
            return false;
        }
        stack->setCurrentIndex(index);
        return true;
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(tab)) {
        if (index < 0 || index >= tabs->count()) {
            return false;
        }
        tabs->setCurrentIndex(index);
        return true;
    }
    return false;
}

int CurrentTabIndex(const QWidget* tab) {
    if (const auto* stack = qobject_cast<const QStackedWidget*>(tab)) {
        return stack->currentIndex();
    }
    if (const auto* tabs = qobject_cast<const QTabWidget*>(tab)) {
        return tabs->currentIndex();
    }
    return -1;
}

bool ContainerAdd(QWidget* container, QWidget* item) {
    if (item == nullptr) {
        return false;
    }
    if (auto* list = qobject_cast<CListUI*>(container)) {
        return list->Add(item);
    }
    QLayout* layout = ItemLayout(container);
    if (layout == nullptr) {
        return false;
    }
    if (auto* box = qobject_cast<QBoxLayout*>(layout)) {
        box->addWidget(item);
    } else {
        layout->addWidget(item);
    }
    item->show();
    if (CPaintManagerUI* manager = CPaintManagerUI::Of(container)) {
        manager->AttachControls(item);
    }
    return true;
}

bool ContainerRemove(QWidget* container, QWidget* item) {
    if (auto* list = qobject_cast<CListUI*>(container)) {
        return list->Remove(item);
    }
    QLayout* layout = ItemLayout(container);
    if (layout == nullptr || item == nullptr || layout->indexOf(item) < 0) {
        return false;
    }
    // The item may be the sender of the notification being handled: free it
    // once control is back in the event loop.
    layout->removeWidget(item);
    item->hide();
    item->setParent(nullptr);
    item->deleteLater();
    return true;
}

void ContainerRemoveAll(QWidget* container) {
    if (auto* list = qobject_cast<CListUI*>(container)) {
        list->RemoveAll();
        return;
    }
    while (QWidget* item = ContainerItemAt(container, 0)) {
        ContainerRemove(container, item);
    }
}

int ContainerCount(const QWidget* container) {
    if (const auto* list = qobject_cast<const CListUI*>(container)) {
        return list->GetCount();
    }
    const QLayout* layout = ItemLayout(container);
    if (layout == nullptr) {
        return 0;
    }
    int count = 0;
    for (int i = 0; i < layout->count(); ++i) {
        if (layout->itemAt(i)->widget() != nullptr) {
            ++count;
        }
    }
    return count;
}

QWidget* ContainerItemAt(const QWidget* container, int index) {
    if (const auto* list = qobject_cast<const CListUI*>(container)) {
        return list->GetItemAt(index);
    }
    const QLayout* layout = ItemLayout(container);
    if (layout == nullptr || index < 0) {
        return nullptr;
    }
    for (int i = 0; i < layout->count(); ++i) {
        if (QWidget* widget = layout->itemAt(i)->widget()) {
            if (index-- == 0) {
                return widget;
            }
        }
    }
    return nullptr;
}

bool SetLabelHtml(QWidget* label, bool html) {
    auto* text = qobject_cast<QLabel*>(label);
    if (text == nullptr) {
        return false;
    }
    text->setTextFormat(html ? Qt::RichText : Qt::PlainText);
    text->setOpenExternalLinks(html);
    return true;
}

bool SetPicture(QWidget* picture, const QImage& image) {
    if (auto* view = qobject_cast<CPictureUI*>(picture)) {
        view->SetBitmap(image);
        return true;
    }
    if (auto* label = qobject_cast<QLabel*>(picture)) {
        label->setPixmap(QPixmap::fromImage(image));
        return true;
    }
    return false;
}

QString UserData(const QWidget* widget) {
    return widget != nullptr ? widget->property(kUserData).toString() : QString();
}

void SetUserData(QWidget* widget, const QString& value) {
    if (widget != nullptr) {
        widget->setProperty(kUserData, value);
    }
}

}  // namespace quillora::ui
