#include "app/shell/dialogs/MessagePresenter.h"

#include "app/core/language/Messages.h"
#include "app/shell/dialogs/MessageDlg.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QWidget>

namespace quillora {

namespace {

int ShowOnUiThread(const MessageRequest& request) {
    QPointer<QWidget> parent = qobject_cast<QWidget*>(request.parent);
    CMessageDlg dialog(request.text, request.title, request.kind, false, request.highlight);
    return RunMessageDialog(dialog, parent.data());
}

}  // namespace

void InstallDialogMessagePresenter() {
    SetMessagePresenter([](const MessageRequest& request) {
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr) {
            return kMessageNo;
        }
        if (QThread::currentThread() == app->thread()) {
            return ShowOnUiThread(request);
        }
        int result = kMessageNo;
        QMetaObject::invokeMethod(
            app, [&request, &result] { result = ShowOnUiThread(request); },
            Qt::BlockingQueuedConnection);
        return result;
    });
}

}  // namespace quillora
