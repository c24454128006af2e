#include "DialogTestSupport.h"

#include "app/core/settings/OemInfo.h"
#include "app/core/settings/QuilloraRegistry.h"
#include "ui/Controls.h"
#include "workspace/frame/MainFrame.h"
#include "workspace/pages/PageControls.h"

#include <QPushButton>
#include <QStackedWidget>

#include <gtest/gtest.h>

namespace quillora::test {
namespace {

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        DialogApp();
        ASSERT_TRUE(
            frame.Create(nullptr, QStringLiteral("Quillora"), kMainFrameStyle, 0, 0, 800, 600));
        frame.ShowWindow();
    }
    void TearDown() override { ui::CSkinManager::SetTextReloadInterface(nullptr); }

    OemInfo oem;
    CMainFrame frame{oem};
};

TEST_F(MainFrameTest, HasTheFourPagesAndTheSixTaskButtons) {
    EXPECT_EQ(frame.GetWindowClassName(), QStringLiteral("QuilloraWndClass"));
    auto* tabs = frame.FindControl<QStackedWidget>(QStringLiteral("tabMain"));
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_NE(qobject_cast<CHomeCtrlUI*>(tabs->widget(0)), nullptr);
    EXPECT_NE(qobject_cast<CConverCtrlUI*>(tabs->widget(1)), nullptr);
    EXPECT_NE(qobject_cast<CBatchConverCtrlUI*>(tabs->widget(2)), nullptr);
    EXPECT_NE(qobject_cast<CImgEditCtrlUI*>(tabs->widget(3)), nullptr);
    EXPECT_EQ(tabs->currentIndex(), 0);
    for (const char* name : {"btnHomePortrait", "btnHomeGoods", "btnHomeCard",
                             "btnHomePortraitBatch", "btnHomeGoodsBatch", "btnHomeEdit"}) {
        auto* button = frame.FindControl<QPushButton>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_TRUE(button->isVisible()) << name;
        EXPECT_GE(button->width(), 200) << name;
    }
    for (const char* name : {"btnMenu", "btnMin", "btnMax", "btnClose", "labTitleText"}) {
        EXPECT_NE(frame.FindControl(QString::fromLatin1(name)), nullptr) << name;
    }
}

TEST_F(MainFrameTest, TitleComesFromTheLanguageFileAndLayoutTextsAreFilled) {
    EXPECT_FALSE(frame.GetText(QStringLiteral("labTitleText")).isEmpty());
    EXPECT_FALSE(frame.GetText(QStringLiteral("labHomePortraitTitle")).isEmpty());
    EXPECT_FALSE(frame.GetText(QStringLiteral("labHomeHeadline")).isEmpty());
}

TEST(MainFrameBrandingTest, BrandingTitleWins) {
    DialogApp();
    OemInfo oem;
    oem.titleText = QStringLiteral("Acme Cut-out");
    CMainFrame frame(oem);
    ASSERT_TRUE(frame.Create(nullptr, QString(), kMainFrameStyle));
    frame.ShowWindow();
    EXPECT_EQ(frame.GetText(QStringLiteral("labTitleText")), QStringLiteral("Acme Cut-out"));
    ui::CSkinManager::SetTextReloadInterface(nullptr);
}

TEST_F(MainFrameTest, HomePageCannotBeMaximisedOtherPagesCan) {
    EXPECT_FALSE(frame.FindControl(QStringLiteral("btnMax"))->isEnabled());
    EXPECT_TRUE(frame.OnSysCommand(ui::kScMaximizeByCaption));
    EXPECT_FALSE(frame.isMaximized());

    frame.SelectPage(CMainFrame::kPageConver);
    EXPECT_EQ(frame.CurrentPage(), CMainFrame::kPageConver);
    EXPECT_TRUE(frame.FindControl(QStringLiteral("btnMax"))->isEnabled());
    frame.OnSysCommand(ui::kScMaximizeByCaption);
    EXPECT_TRUE(frame.isMaximized());
    EXPECT_TRUE(frame.FindControl(QStringLiteral("btnRestore"))->isVisible());
    EXPECT_FALSE(frame.FindControl(QStringLiteral("btnMax"))->isVisible());
    // Back home restores the window.
    frame.SelectPage(CMainFrame::kPageHome);
    EXPECT_FALSE(frame.isMaximized());
    EXPECT_FALSE(frame.FindControl(QStringLiteral("btnRestore"))->isVisible());
    // A page index past the end changes nothing.
    frame.SelectPage(9);
    EXPECT_EQ(frame.CurrentPage(), CMainFrame::kPageHome);
}

TEST_F(MainFrameTest, CloseButtonAsksAndClosesOnYes) {
    QuilloraRegistry::Open().deleteCloseConfirm();
    WhenShown<CMessageDlg>([](CMessageDlg* dialog) { ClickIn(dialog, "btnClose"); });
    ClickIn(&frame, "btnClose");
    QApplication::processEvents();
    EXPECT_TRUE(frame.IsWindow());

    QuilloraRegistry::Open().writeCloseConfirm(0);
    ClickIn(&frame, "btnClose");
    QApplication::sendPostedEvents(&frame);
    EXPECT_FALSE(frame.IsWindow());
    QuilloraRegistry::Open().deleteCloseConfirm();
}

}  // namespace
}  // namespace quillora::test
