#pragma once

#include "app/core/language/LanguageState.h"
#include "app/core/language/LanguageTable.h"
#include "app/shell/dialogs/MessageDlg.h"
#include "skin/SkinData.h"
#include "ui/PaintManager.h"
#include "ui/TextSupplier.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace quillora::test {

// One application for the whole test program, with the real skin, the style
// sheet, English texts, and the user data in a fresh temporary folder.
inline QApplication& DialogApp() {
    static QTemporaryDir userData;
    static bool ready = false;
    if (!ready) {
        qputenv("QUILLORA_USER_DATA", userData.path().toUtf8());
        qputenv("QUILLORA_APP_DIR", QUILLORA_BIN_DIR);
    }
    static int argc = 1;
    static char name[] = "quillora-dialog-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    if (!ready) {
        ready = true;
        static const QByteArray archive = skin::EmbeddedArchive();
        ui::CPaintManagerUI::SetResourceZip(reinterpret_cast<const uchar*>(archive.constData()),
                                            archive.size());
        ui::CPaintManagerUI::ApplyStyleSheet();
        ui::CSkinManager::LoadStringTable(QStringLiteral("en"));
        SetCurrentLanguageId(kEnglishLanguageId);
    }
    return *app;
}

inline QString UserDataPath() {
    return qEnvironmentVariable("QUILLORA_USER_DATA");
}

// Calls `act` with the first visible window of type T once it shows (a
// modal dialog runs its own loop, so the test acts from a timer).
template <class T>
void WhenShown(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<T*>(window); found != nullptr && found->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(found);
                return;
            }
        }
    });
    timer->start();
}

template <class Window>
void ClickIn(Window* window, const char* name) {
    auto* button = window->template FindControl<QAbstractButton>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    if (qobject_cast<QAbstractButton*>(button)->isCheckable()) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
    } else {
        QTest::mouseClick(button, Qt::LeftButton);
    }
}

}  // namespace quillora::test
