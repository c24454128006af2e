#pragma once

#include "ui/PaintManager.h"
#include "ui/TextSupplier.h"
#include "ui/WindowImplBase.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

#include <vector>

namespace quillora::ui::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "quillora-ui-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Layouts for these tests live in tests/ui/layouts and are read from disk.
inline void UseTestLayouts() {
    App();
    CPaintManagerUI::SetResourceZip(nullptr, 0);
    CPaintManagerUI::SetSkinPath(QStringLiteral(QUILLORA_UI_TEST_LAYOUTS));
    CSkinManager::SetTextReloadInterface(nullptr);
    CSkinManager::LoadStringTable(QStringLiteral("en"));
}

// A control class of the program's own, created through the class-name callback.
class TestPanel : public QWidget {
    Q_OBJECT
public:
    explicit TestPanel(QWidget* parent) : QWidget(parent) {
        auto* layout = new QVBoxLayout(this);
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("labPanel"));
        layout->addWidget(label);
    }
};

struct Recorded {
    QString type;
    QWidget* sender;
    qint64 wParam;
};

class TestWindow : public WindowImplBase {
    Q_OBJECT
public:
    explicit TestWindow(QString layout = QStringLiteral("test_window.xml"), bool callback = true)
        : layout_(std::move(layout)), callback_(callback) {}

    QString GetSkinFile() const override { return layout_; }
    QString GetWindowClassName() const override { return QStringLiteral("QuilloraTest"); }
    QWidget* CreateControl(const QString& className, QWidget* parent) override {
        if (callback_ && className == QLatin1String("TestPanel")) {
            return new TestPanel(parent);
        }
        return nullptr;
    }
    void Notify(TNotifyUI& msg) override {
        events.push_back({msg.sType, msg.pSender, msg.wParam});
        WindowImplBase::Notify(msg);
    }
    void OnClick(TNotifyUI& msg) override {
        clicks.push_back(msg.pSender);
        if (closeOnClick >= 0) {
            Close(closeOnClick);
        }
    }
    qint64 HandleCustomMessage(WindowMessage& msg, bool& handled) override {
        messages.push_back(msg.message);
        if (msg.payload.Holds<QString>()) {
            payloadText = *msg.payload.Take<QString>();
        }
        handled = true;
        return msg.wParam * 2;
    }
    void OnFinalMessage() override { ++finalMessages; }

    int Count(QAnyStringView type, QWidget* sender = nullptr) const {
        int n = 0;
        for (const Recorded& e : events) {
            if (QAnyStringView::compare(e.type, type) == 0 &&
                (sender == nullptr || e.sender == sender)) {
                ++n;
            }
        }
        return n;
    }

    std::vector<Recorded> events;
    std::vector<QWidget*> clicks;
    std::vector<int> messages;
    QString payloadText;
    int closeOnClick = -1;
    int finalMessages = 0;

private:
    QString layout_;
    bool callback_;
};

}  // namespace quillora::ui::test
