#include "ui/PaintManager.h"

#include "ui/Dpi.h"

#include <QApplication>
#include <QEventLoop>
#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace quillora::ui {

namespace {
constexpr char kManagerProperty[] = "quilloraPaintManager";
}

CPaintManagerUI::CPaintManagerUI(QWidget* root) : QObject(root), root_(root) {
    root_->setProperty(kManagerProperty, QVariant::fromValue<QObject*>(this));
}

CPaintManagerUI* CPaintManagerUI::Of(const QWidget* widget) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        const QVariant value = w->property(kManagerProperty);
        if (value.isValid()) {
            return qobject_cast<CPaintManagerUI*>(value.value<QObject*>());
        }
    }
    return nullptr;
}

QWidget* CPaintManagerUI::FindControl(const QString& name) const {
    if (name.isEmpty()) {
        return nullptr;
    }
    if (root_->objectName() == name) {
        return root_;
    }
    return root_->findChild<QWidget*>(name);
}

QWidget* CPaintManagerUI::FindSubControlByName(const QWidget* parent, const QString& name) {
    if (parent == nullptr || name.isEmpty()) {
        return nullptr;
    }
    return parent->findChild<QWidget*>(name);
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (notifier != nullptr &&
        std::find(notifiers_.begin(), notifiers_.end(), notifier) == notifiers_.end()) {
        notifiers_.push_back(notifier);
    }
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    std::erase(notifiers_, notifier);
}

void CPaintManagerUI::SendNotify(QWidget* sender, QAnyStringView type, qint64 wParam,
                                 qint64 lParam) {
    TNotifyUI msg{type.toString(), sender, wParam, lParam};
    if (captionHandler_ && captionHandler_(msg)) {
        return;
    }
    // A receiver may close and free the window while it handles the message.
    const QPointer<CPaintManagerUI> self(this);
    const std::vector<INotifyUI*> receivers = notifiers_;
    for (INotifyUI* receiver : receivers) {
        if (self.isNull()) {
            return;
        }
        if (std::find(notifiers_.begin(), notifiers_.end(), receiver) != notifiers_.end()) {
            receiver->Notify(msg);
        }
    }
}

void CPaintManagerUI::AttachControls(QWidget* subtree) {
    if (subtree == nullptr) {
        return;
    }
    Wire(subtree);
    const auto children = subtree->findChildren<QWidget*>();
    for (QWidget* child : children) {
        Wire(child);
    }
}

void CPaintManagerUI::SetAllDPI(int dpi) {
    GetDPIObj().SetScale(dpi);
}

CDPI& CPaintManagerUI::GetDPIObj() {
    static CDPI dpi;
    return dpi;
}

namespace {
QEventLoop*& MainLoop() {
    static QEventLoop* loop = nullptr;
    return loop;
}
}  // namespace

int CPaintManagerUI::MessageLoop() {
    // A loop of our own: ending it leaves the application able to run other
    // loops, which a global quit would not.
    QEventLoop loop;
    QEventLoop* outer = MainLoop();
    MainLoop() = &loop;
    const int code = loop.exec();
    MainLoop() = outer;
    return code;
}

void CPaintManagerUI::QuitMessageLoop(int code) {
    if (QEventLoop* loop = MainLoop()) {
        loop->exit(code);
    }
}

}  // namespace quillora::ui
