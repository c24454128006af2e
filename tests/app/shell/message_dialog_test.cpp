#include "DialogTestSupport.h"

#include "app/core/language/Messages.h"
#include "app/core/settings/QuilloraRegistry.h"
#include "app/shell/dialogs/ConfirmClose.h"
#include "app/shell/dialogs/MessagePresenter.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace quillora::test {
namespace {

class MessageDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        DialogApp();
        MyBaseWindow::SetFrameSwitches(true, false);
    }
    static bool Visible(CMessageDlg& dialog, const char* name) {
        QWidget* control = dialog.FindControl(QString::fromLatin1(name));
        return control != nullptr && control->isVisible();
    }
};

TEST_F(MessageDialogTest, NoticeShowsInformationIconAndOnlyYes) {
    CMessageDlg dialog(QStringLiteral("Saved."), QStringLiteral("Quillora"), kMessageInformation,
                       false, kMessageHighlight);
    bool checked = false;
    WhenShown<CMessageDlg>([&](CMessageDlg* shown) {
        EXPECT_TRUE(Visible(*shown, "infoLogo"));
        EXPECT_FALSE(Visible(*shown, "errorLogo"));
        EXPECT_FALSE(Visible(*shown, "warnLogo"));
        EXPECT_TRUE(Visible(*shown, "btnYes"));
        EXPECT_FALSE(Visible(*shown, "btnClose"));
        EXPECT_FALSE(Visible(*shown, "optNoShowAgain"));
        EXPECT_EQ(shown->GetText(QStringLiteral("caption")), QStringLiteral("Quillora"));
        EXPECT_EQ(shown->GetText(QStringLiteral("context")), QStringLiteral("Saved."));
        EXPECT_EQ(shown->GetText(QStringLiteral("btnYes")), QStringLiteral("OK"));
        checked = true;
        ClickIn(shown, "btnYes");
    });
    EXPECT_EQ(RunMessageDialog(dialog, nullptr), kMessageYes);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(dialog.IsWindow());
}

TEST_F(MessageDialogTest, ClosingTheWindowAnswersSeven) {
    CMessageDlg byCaption(QStringLiteral("x"), QString(), kMessageInformation, false, 0);
    WhenShown<CMessageDlg>([](CMessageDlg* shown) { ClickIn(shown, "btnSysClose"); });
    EXPECT_EQ(RunMessageDialog(byCaption, nullptr), kMessageNo);

    CMessageDlg bySystem(QStringLiteral("x"), QString(), kMessageQuestion, false, 0);
    WhenShown<CMessageDlg>([](CMessageDlg* shown) { shown->close(); });
    EXPECT_EQ(RunMessageDialog(bySystem, nullptr), kMessageNo);
}

TEST_F(MessageDialogTest, QuestionWithErrorIconShowsBothButtons) {
    CMessageDlg dialog(QStringLiteral("Really?"), QString(), kMessageQuestion | kMessageError,
                       false, 0);
    WhenShown<CMessageDlg>([](CMessageDlg* shown) {
        EXPECT_TRUE(Visible(*shown, "errorLogo"));
        EXPECT_FALSE(Visible(*shown, "infoLogo"));
        EXPECT_TRUE(Visible(*shown, "btnYes"));
        EXPECT_TRUE(Visible(*shown, "btnClose"));
        EXPECT_EQ(shown->GetText(QStringLiteral("btnYes")), QStringLiteral("Yes"));
        EXPECT_EQ(shown->GetText(QStringLiteral("btnClose")), QStringLiteral("No"));
        ClickIn(shown, "btnClose");
    });
    EXPECT_EQ(RunMessageDialog(dialog, nullptr), kMessageNo);
}

TEST_F(MessageDialogTest, IconFollowsTheKindInItsOrder) {
    EXPECT_EQ(CMessageDlg::IconFor(0x40), QStringLiteral("infoLogo"));
    EXPECT_EQ(CMessageDlg::IconFor(0x50), QStringLiteral("infoLogo"));
    EXPECT_EQ(CMessageDlg::IconFor(0x30), QStringLiteral("errorLogo"));
    EXPECT_EQ(CMessageDlg::IconFor(0x20), QStringLiteral("warnLogo"));
    EXPECT_EQ(CMessageDlg::IconFor(0x4), QStringLiteral("infoLogo"));
    EXPECT_EQ(CMessageDlg::IconFor(0), QStringLiteral("infoLogo"));
}

TEST_F(MessageDialogTest, OpenFolderFormAndOwnButtonTexts) {
    CMessageDlg dialog(QStringLiteral("<b>Saved</b>"), QString(), kMessageInformation, true, 0);
    dialog.openPathMode = true;
    dialog.closeText = QStringLiteral("Later");
    dialog.showNoShowAgain = true;
    WhenShown<CMessageDlg>([](CMessageDlg* shown) {
        EXPECT_TRUE(Visible(*shown, "btnOpenPath"));
        EXPECT_FALSE(Visible(*shown, "btnYes"));
        EXPECT_TRUE(Visible(*shown, "btnClose"));
        EXPECT_FALSE(Visible(*shown, "optNoShowAgain"));
        EXPECT_EQ(shown->GetText(QStringLiteral("btnClose")), QStringLiteral("Later"));
        EXPECT_EQ(shown->FindControl<QLabel>(QStringLiteral("context"))->textFormat(),
                  Qt::RichText);
        ClickIn(shown, "btnOpenPath");
    });
    EXPECT_EQ(RunMessageDialog(dialog, nullptr), kMessageYes);

    CMessageDlg plain(QStringLiteral("<b>x</b>"), QString(), kMessageQuestion, false, 0);
    plain.yesText = QStringLiteral("Replace");
    WhenShown<CMessageDlg>([](CMessageDlg* shown) {
        EXPECT_EQ(shown->FindControl<QLabel>(QStringLiteral("context"))->textFormat(),
                  Qt::PlainText);
        EXPECT_EQ(shown->GetText(QStringLiteral("btnYes")), QStringLiteral("Replace"));
        ClickIn(shown, "btnYes");
    });
    EXPECT_EQ(RunMessageDialog(plain, nullptr), kMessageYes);
}

TEST_F(MessageDialogTest, LongTextMakesTheDialogTaller) {
    CMessageDlg shortOne(QStringLiteral("x"), QString(), kMessageInformation, false, 0);
    CMessageDlg longOne(
        QString(40, QLatin1Char(' ')).replace(QLatin1Char(' '), QStringLiteral("long words ")),
        QString(), kMessageInformation, false, 0);
    int shortHeight = 0;
    int longHeight = 0;
    WhenShown<CMessageDlg>([&](CMessageDlg* shown) {
        shortHeight = shown->height();
        ClickIn(shown, "btnYes");
    });
    RunMessageDialog(shortOne, nullptr);
    WhenShown<CMessageDlg>([&](CMessageDlg* shown) {
        longHeight = shown->height();
        QLabel* context = shown->FindControl<QLabel>(QStringLiteral("context"));
        // The whole text fits: the label got the height its wrapped text needs.
        EXPECT_GE(context->height(), context->heightForWidth(context->width()));
        ClickIn(shown, "btnYes");
    });
    RunMessageDialog(longOne, nullptr);
    EXPECT_GT(longHeight, shortHeight);
}

QColor PixelOf(QWidget* widget, QPoint at) {
    return widget->grab().toImage().pixelColor(at);
}

TEST_F(MessageDialogTest, ShowDlgBorderGivesTheFrameAOnePixelBorder) {
    for (bool border : {true, false}) {
        MyBaseWindow::SetFrameSwitches(false, border);
        CMessageDlg dialog(QStringLiteral("x"), QString(), kMessageInformation, false, 0);
        WhenShown<CMessageDlg>([border](CMessageDlg* shown) {
            QWidget* frame = shown->FindControl(QStringLiteral("DlgFrame"));
            ASSERT_NE(frame, nullptr);
            // A margin of 1 inside a border of 1 on every side, or neither.
            const int inset = border ? 2 : 0;
            EXPECT_EQ(frame->contentsRect(),
                      frame->rect().marginsRemoved(QMargins(inset, inset, inset, inset)));
            // The border colour of the style sheet, or the white of the frame.
            const QColor edge = PixelOf(frame, QPoint(0, frame->height() / 2));
            EXPECT_EQ(edge, border ? QColor(0xD9, 0xDD, 0xE4) : QColor(Qt::white))
                << edge.name().toStdString();
            ClickIn(shown, "btnYes");
        });
        RunMessageDialog(dialog, nullptr);
    }
    MyBaseWindow::SetFrameSwitches(true, false);
}

TEST_F(MessageDialogTest, ExitQuestionWithNoShowAgainAndNoKeepsOpenAndNeverAsksAgain) {
    QuilloraRegistry registry = QuilloraRegistry::Open();
    registry.deleteCloseConfirm();
    int shown = 0;
    WhenShown<CMessageDlg>([&shown](CMessageDlg* dialog) {
        ++shown;
        EXPECT_TRUE(dialog->FindControl(QStringLiteral("optNoShowAgain"))->isVisible());
        EXPECT_FALSE(dialog->GetText(QStringLiteral("context")).isEmpty());
        ClickIn(dialog, "optNoShowAgain");
        ClickIn(dialog, "btnClose");
    });
    EXPECT_FALSE(ConfirmClose(nullptr));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(QuilloraRegistry::Open().readCloseConfirm(), 0u);
    // Asked no more: allowed at once.
    EXPECT_TRUE(ConfirmClose(nullptr));
    // Deleting the value brings the question back; "yes" without the tick keeps it.
    registry.deleteCloseConfirm();
    WhenShown<CMessageDlg>([](CMessageDlg* dialog) { ClickIn(dialog, "btnYes"); });
    EXPECT_TRUE(ConfirmClose(nullptr));
    EXPECT_EQ(QuilloraRegistry::Open().readCloseConfirm(), 1u);
}

TEST_F(MessageDialogTest, ShowMessageFromAWorkerThreadShowsOnTheUiThread) {
    InstallDialogMessagePresenter();
    std::atomic<int> result{0};
    std::atomic<bool> done{false};
    bool onUiThread = false;
    WhenShown<CMessageDlg>([&onUiThread](CMessageDlg* dialog) {
        onUiThread = dialog->thread() == QApplication::instance()->thread();
        EXPECT_FALSE(dialog->GetText(QStringLiteral("caption")).isEmpty());
        ClickIn(dialog, "btnYes");
    });
    std::thread worker([&] {
        result = ShowMessage(u"HasUpdate", nullptr, kMessageQuestion);
        done = true;
    });
    while (!done) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    worker.join();
    EXPECT_TRUE(onUiThread);
    EXPECT_EQ(result.load(), kMessageYes);
    SetMessagePresenter(nullptr);
}

}  // namespace
}  // namespace quillora::test
