#include "ui/PaintManager.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>

// How the Qt signals of each kind of control become notifications. Every
// control is wired once; the marker property keeps a second AttachControls
// from doubling the notifications.
namespace quillora::ui {

namespace {
constexpr char kWiredProperty[] = "quilloraWired";
// Options sharing a value of this property form one exclusive group, across
// containers.
constexpr char kGroupProperty[] = "group";

bool IsGrouped(const QAbstractButton* button) {
    return button->group() != nullptr || button->autoExclusive();
}
}  // namespace

QButtonGroup* CPaintManagerUI::GroupFor(const QString& name) {
    QButtonGroup*& group = groups_[name];
    if (group == nullptr) {
        group = new QButtonGroup(this);
        group->setExclusive(true);
    }
    return group;
}

void CPaintManagerUI::Wire(QWidget* widget) {
    if (widget->property(kWiredProperty).toBool()) {
        return;
    }
    widget->setProperty(kWiredProperty, true);

    // Labels and pictures laid out inside a button (the task cards) must not
    // take the mouse from it.
    if (qobject_cast<QAbstractButton*>(widget) == nullptr && widget->parentWidget() != nullptr) {
        for (QWidget* up = widget->parentWidget(); up != nullptr && !up->isWindow();
             up = up->parentWidget()) {
            if (qobject_cast<QAbstractButton*>(up) != nullptr) {
                widget->setAttribute(Qt::WA_TransparentForMouseEvents, true);
                break;
            }
        }
    }

    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        const QString group = button->property(kGroupProperty).toString();
        if (button->isCheckable() && !group.isEmpty()) {
            GroupFor(group)->addButton(button);
        }
        connect(button, &QAbstractButton::clicked, this,
                [this, button] { SendNotify(button, notify::kClick); });
        if (button->isCheckable()) {
            // In a group only the option that became selected reports; a
            // lone option reports both ways. Changes made by the program
            // report too, so handlers see one path for both.
            connect(button, &QAbstractButton::toggled, this, [this, button](bool checked) {
                if (checked || !IsGrouped(button)) {
                    SendNotify(button, notify::kSelectChanged, checked ? 1 : 0);
                }
            });
        }
    } else if (auto* slider = qobject_cast<QSlider*>(widget)) {
        connect(slider, &QSlider::valueChanged, this,
                [this, slider](int value) { SendNotify(slider, notify::kValueChanged, value); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        // Typed changes only: text the program sets does not echo back.
        connect(edit, &QLineEdit::textEdited, this,
                [this, edit] { SendNotify(edit, notify::kTextChanged); });
        edit->installEventFilter(this);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        connect(plain, &QPlainTextEdit::textChanged, this,
                [this, plain] { SendNotify(plain, notify::kTextChanged); });
        plain->installEventFilter(this);
    } else if (auto* rich = qobject_cast<QTextEdit*>(widget)) {
        connect(rich, &QTextEdit::textChanged, this,
                [this, rich] { SendNotify(rich, notify::kTextChanged); });
        rich->installEventFilter(this);
    } else if (auto* stack = qobject_cast<QStackedWidget*>(widget)) {
        connect(stack, &QStackedWidget::currentChanged, this,
                [this, stack](int index) { SendNotify(stack, notify::kTabSelect, index); });
    } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
        connect(tabs, &QTabWidget::currentChanged, this,
                [this, tabs](int index) { SendNotify(tabs, notify::kTabSelect, index); });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this, combo](int index) { SendNotify(combo, notify::kItemSelect, index); });
    }
}

bool CPaintManagerUI::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (auto* widget = qobject_cast<QWidget*>(watched)) {
            SendNotify(widget, notify::kKillFocus);
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quillora::ui
