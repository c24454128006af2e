#pragma once

#include <QString>
#include <QWidget>

namespace quillora::ui {

class IDialogBuilderCallback;

// A control whose body is a layout of its own ("HomeCtrl.xml" for the
// class "HomeCtrl"): pages and tool panels are built this way. The callback
// creates the program's classes named inside that layout.
class CLayoutControlUI : public QWidget {
    Q_OBJECT
public:
    CLayoutControlUI(const QString& layoutName, IDialogBuilderCallback* callback,
                     QWidget* parent = nullptr);

    // Null when the layout could not be built.
    QWidget* Body() const { return body_; }

private:
    QWidget* body_ = nullptr;
};

}  // namespace quillora::ui
