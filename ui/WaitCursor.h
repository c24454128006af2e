#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace quillora::ui {

// Shows the busy cursor for the lifetime of the object.
class CWaitCursor {
public:
    CWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

}  // namespace quillora::ui
