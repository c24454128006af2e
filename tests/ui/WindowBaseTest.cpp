#include "UiTestSupport.h"

#include "ui/Controls.h"
#include "ui/MenuWnd.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace quillora::ui::test {
namespace {

class WindowBaseTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestLayouts(); }
};

TEST_F(WindowBaseTest, ShowModalReturnsTheCodeGivenToClose) {
    TestWindow window;
    ASSERT_TRUE(window.Create(nullptr, QString()));
    window.closeOnClick = 6;
    QTimer::singleShot(0, &window, [&window] {
        QTest::mouseClick(window.FindControl<QPushButton>(QStringLiteral("btnYes")),
                          Qt::LeftButton);
    });
    EXPECT_EQ(window.ShowModal(), 6);
    EXPECT_FALSE(window.IsWindow());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.finalMessages, 1);
    // A destroyed window stays destroyed.
    EXPECT_EQ(window.ShowModal(), -1);
}

TEST_F(WindowBaseTest, ClosingByTheWindowSystemEndsTheModalLoopWithZero) {
    TestWindow window;
    ASSERT_TRUE(window.Create(nullptr, QString()));
    QTimer::singleShot(0, &window, [&window] { window.close(); });
    EXPECT_EQ(window.ShowModal(), 0);
    EXPECT_FALSE(window.IsWindow());
    EXPECT_EQ(window.finalMessages, 1);
}

TEST_F(WindowBaseTest, CloseRequestedWhileShowingIsNotLost) {
    TestWindow window;
    ASSERT_TRUE(window.Create(nullptr, QString()));
    window.Close(3);
    EXPECT_EQ(window.ShowModal(), 3);
}

TEST_F(WindowBaseTest, PostedPayloadReachesTheWindowAndIsOwnedThere) {
    TestWindow window;
    ASSERT_TRUE(window.Create(nullptr, QString()));
    window.PostMessage(kWmUser + 14, 1, MessagePayload(std::make_unique<QString>("job")));
    EXPECT_TRUE(window.messages.empty());
    QCoreApplication::sendPostedEvents(&window);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0], kWmUser + 14);
    EXPECT_EQ(window.payloadText, QStringLiteral("job"));
}

TEST(MessagePayloadTest, TakesOnlyTheTypeItHolds) {
    MessagePayload payload(std::make_unique<int>(42));
    EXPECT_TRUE(payload.Holds<int>());
    EXPECT_EQ(payload.Take<QString>(), nullptr);
    ASSERT_TRUE(static_cast<bool>(payload));
    std::unique_ptr<int> value = payload.Take<int>();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, 42);
    EXPECT_FALSE(static_cast<bool>(payload));
    EXPECT_EQ(payload.Take<int>(), nullptr);
}

TEST_F(WindowBaseTest, SendMessageFromAnotherThreadWaitsForTheResult) {
    TestWindow window;
    ASSERT_TRUE(window.Create(nullptr, QString()));
    std::atomic<qint64> result{0};
    std::atomic<bool> done{false};
    std::thread sender([&] {
        result = window.SendMessage(kWmUser + 9, 21);
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    sender.join();
    EXPECT_EQ(result.load(), 42);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.SendMessage(kWmUser + 9, 5), 10);
}

TEST_F(WindowBaseTest, NamedOperationsActOnTheNamedControl) {
    TestWindow window;
    ASSERT_TRUE(window.Create(nullptr, QString()));
    window.ShowWindow();
    window.SetText(QStringLiteral("caption"), QStringLiteral("Hello"));
    EXPECT_EQ(window.GetText(QStringLiteral("caption")), QStringLiteral("Hello"));
    window.ShowControl(QStringLiteral("btnYes"), false);
    EXPECT_FALSE(window.FindControl(QStringLiteral("btnYes"))->isVisible());
    window.ShowControl(QStringLiteral("btnYes"), true);
    EXPECT_TRUE(window.FindControl(QStringLiteral("btnYes"))->isVisible());
    window.EnableControl(QStringLiteral("btnYes"), false);
    EXPECT_FALSE(window.FindControl(QStringLiteral("btnYes"))->isEnabled());
    window.SetProgress(QStringLiteral("progressSave"), 37);
    EXPECT_EQ(window.FindControl<QProgressBar>(QStringLiteral("progressSave"))->value(), 37);
    window.SetControlWidth(QStringLiteral("btnYes"), 120);
    EXPECT_EQ(window.FindControl(QStringLiteral("btnYes"))->width(), 120);

    const QRect pos = window.GetControlPos(QStringLiteral("btnYes"));
    QWidget* yes = window.FindControl(QStringLiteral("btnYes"));
    EXPECT_EQ(pos.size(), yes->size());
    EXPECT_EQ(pos.topLeft(), yes->mapTo(&window, QPoint(0, 0)));

    auto* notice = window.FindControl<QLabel>(QStringLiteral("labNotice"));
    ASSERT_TRUE(SetLabelHtml(notice, true));
    EXPECT_EQ(notice->textFormat(), Qt::RichText);
    ASSERT_TRUE(SetLabelHtml(notice, false));
    EXPECT_EQ(notice->textFormat(), Qt::PlainText);
    EXPECT_FALSE(SetLabelHtml(yes, true));
}

TEST_F(WindowBaseTest, MenuPostsTheChosenItemsNameToItsOwner) {
    TestWindow owner;
    ASSERT_TRUE(owner.Create(nullptr, QString()));
    owner.ShowWindow();
    std::unique_ptr<CMenuWnd> menu =
        CMenuWnd::Show(&owner, QStringLiteral("test_menu.xml"), QPoint(10, 10), kWmUser + 121);
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->Choose(QStringLiteral("menuSetting")));  // disabled
    EXPECT_FALSE(menu->Choose(QStringLiteral("menuNothing")));
    QTest::mouseClick(menu->Body()->findChild<QPushButton*>(QStringLiteral("menuAbout")),
                      Qt::LeftButton);
    EXPECT_FALSE(menu->isVisible());
    QCoreApplication::sendPostedEvents(&owner);
    ASSERT_EQ(owner.messages.size(), 1u);
    EXPECT_EQ(owner.messages[0], kWmUser + 121);

    EXPECT_EQ(CMenuWnd::Show(&owner, QStringLiteral("missing_menu.xml"), QPoint(), 1), nullptr);
}

class MenuOwner : public TestWindow {
public:
    qint64 HandleCustomMessage(WindowMessage& msg, bool& handled) override {
        if (auto cmd = msg.payload.Take<MenuCmd>()) {
            chosen = cmd->name;
            chosenData = cmd->userData;
        }
        return TestWindow::HandleCustomMessage(msg, handled);
    }
    QString chosen;
    QString chosenData;
};

TEST_F(WindowBaseTest, MenuCommandCarriesNameAndUserData) {
    MenuOwner owner;
    ASSERT_TRUE(owner.Create(nullptr, QString()));
    auto menu = CMenuWnd::Show(&owner, QStringLiteral("test_menu.xml"), QPoint(), kWmUser + 121);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(menu->Choose(QStringLiteral("menuAbout")));
    QCoreApplication::sendPostedEvents(&owner);
    EXPECT_EQ(owner.chosen, QStringLiteral("menuAbout"));
    EXPECT_EQ(owner.chosenData, QStringLiteral("7"));
}

}  // namespace
}  // namespace quillora::ui::test
