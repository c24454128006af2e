#pragma once

#include <QImage>
#include <QString>

class QWidget;

// Operations on controls of any kind, by what the control is: the text of a
// label, button or edit box; the state of an option; the page of a tab layout;
// the items of a container. Each returns false (or an empty value) when the
// control is null or of a kind the operation does not apply to.
namespace quillora::ui {

bool SetWidgetText(QWidget* widget, const QString& text);
QString WidgetText(const QWidget* widget);

bool SetWidgetChecked(QWidget* widget, bool checked);
bool IsWidgetChecked(const QWidget* widget);

// The image is stretched over the control. A relative name is looked up in the
// skin; an empty name removes the image.
bool SetWidgetBkImage(QWidget* widget, const QString& image);

bool SetProgressValue(QWidget* widget, int value);
bool SetSliderValue(QWidget* widget, int value);

// Tab layouts: QStackedWidget and QTabWidget.
bool SelectTabItem(QWidget* tab, int index);
int CurrentTabIndex(const QWidget* tab);

// Containers: a CListUI, a scroll area, or any widget with a box or grid layout.
bool ContainerAdd(QWidget* container, QWidget* item);
bool ContainerRemove(QWidget* container, QWidget* item);
void ContainerRemoveAll(QWidget* container);
int ContainerCount(const QWidget* container);
QWidget* ContainerItemAt(const QWidget* container, int index);

// Labels show their text as HTML markup or as plain text.
bool SetLabelHtml(QWidget* label, bool html);
bool SetPicture(QWidget* picture, const QImage& image);

// The "userdata" property a layout may set on any control.
QString UserData(const QWidget* widget);
void SetUserData(QWidget* widget, const QString& value);

}  // namespace quillora::ui
