#pragma once

#include <QByteArray>

class QWidget;

// What the program needs from the X11 display beyond Qt: whether a compositing
// manager runs (translucent windows are drawn black without one) and the class
// name of each window, by which another process finds it.
namespace quillora::ui {

// True on every platform other than X11, where it asks for a compositing manager.
bool HasCompositor();

// Sets WM_CLASS of the window's native window (created when missing). Does
// nothing on platforms other than X11.
void SetWindowClass(QWidget* window, const QByteArray& instanceName, const QByteArray& className);

}  // namespace quillora::ui
