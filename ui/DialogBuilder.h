#pragma once

#include <QString>

class QWidget;

namespace quillora::ui {

// Creates the program's own control classes by the class names used in the
// layouts; returns null for classes it does not know.
class IDialogBuilderCallback {
public:
    virtual QWidget* CreateControl(const QString& className, QWidget* parent) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

class CDialogBuilder {
public:
    // Builds the layout `layoutName` ("HomeCtrl.xml") from the skin under
    // `parent`, resolves its texts, and returns its root; null when the layout
    // is missing or unreadable. Notifications are wired by the window that
    // takes the result in (CPaintManagerUI::AttachControls).
    static QWidget* Create(const QString& layoutName, IDialogBuilderCallback* callback = nullptr,
                           QWidget* parent = nullptr);
    static QString LastError();
};

}  // namespace quillora::ui
