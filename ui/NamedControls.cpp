#include "ui/Controls.h"
#include "ui/WindowImplBase.h"

// The window's operations on its controls by name. Each looks the control up
// first and does nothing when the layout lacks it.
namespace quillora::ui {

void WindowImplBase::SetText(const QString& name, const QString& text) {
    SetWidgetText(FindControl(name), text);
}

QString WindowImplBase::GetText(const QString& name) const {
    return WidgetText(FindControl(name));
}

void WindowImplBase::SetCheck(const QString& name, bool checked) {
    SetWidgetChecked(FindControl(name), checked);
}

bool WindowImplBase::GetCheck(const QString& name) const {
    return IsWidgetChecked(FindControl(name));
}

void WindowImplBase::EnableControl(const QString& name, bool enabled) {
    if (QWidget* control = FindControl(name)) {
        control->setEnabled(enabled);
    }
}

void WindowImplBase::ShowControl(const QString& name, bool visible) {
    if (QWidget* control = FindControl(name)) {
        control->setVisible(visible);
    }
}

void WindowImplBase::SetBkImage(const QString& name, const QString& image) {
    SetWidgetBkImage(FindControl(name), image);
}

void WindowImplBase::SetProgress(const QString& name, int value) {
    SetProgressValue(FindControl(name), value);
}

void WindowImplBase::SetSliderValue(const QString& name, int value) {
    ui::SetSliderValue(FindControl(name), value);
}

QRect WindowImplBase::GetControlPos(const QString& name) const {
    const QWidget* control = FindControl(name);
    if (control == nullptr) {
        return {};
    }
    return QRect(control->mapTo(this, QPoint(0, 0)), control->size());
}

void WindowImplBase::SetControlWidth(const QString& name, int width) {
    if (QWidget* control = FindControl(name)) {
        control->setFixedWidth(width);
    }
}

void WindowImplBase::SetControlFocus(const QString& name) {
    if (QWidget* control = FindControl(name)) {
        control->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace quillora::ui
