#include "FrameTestSupport.h"

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/settings/AppSettings.h"
#include "app/core/settings/OemInfo.h"
#include "app/core/settings/QuilloraRegistry.h"
#include "app/shell/dialogs/MessagePresenter.h"
#include "canvas/widgets/CDrawPanel.h"
#include "matting/worker/MattingJob.h"
#include "matting/worker/MattingWorker.h"
#include "ui/Controls.h"
#include "ui/MenuWnd.h"
#include "workspace/menu/WindowCommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace quillora::test {
namespace {

class FrameCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        DialogApp();
        InstallDialogMessagePresenter();
        ASSERT_TRUE(temp.isValid());
        inputs->folder = temp.filePath(QStringLiteral("picked"));
        QDir().mkpath(inputs->folder);
        frame = std::make_unique<CMainFrame>(oem, TestServices(inputs, service.Url(), &settings));
        ASSERT_TRUE(
            frame->Create(nullptr, QStringLiteral("Quillora"), kMainFrameStyle, 0, 0, 1160, 760));
        frame->ShowWindow();
        QApplication::processEvents();
    }
    void TearDown() override {
        service.Close();
        frame.reset();
        QuilloraRegistry::Open().deleteCloseConfirm();
    }

    // A single task whose cut-out has arrived: the photo's left half kept.
    void ReadyPhoto(const QString& name, QSize size) {
        const QString photo = MakePhoto(temp.filePath(name), size);
        inputs->pictures.push_back({photo});
        frame->StartTask(CMainFrame::kWorkPortrait, false);
        ASSERT_TRUE(WaitFor([&] { return frame->Canvas()->Document().HasSource(); }, 10000));
        QImage cut(size, QImage::Format_ARGB32);
        cut.fill(Qt::transparent);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width() / 2; ++x) {
                cut.setPixel(x, y, qRgba(10, 200, 30, 255));
            }
        }
        QDir().mkpath(frame->Worker()->dataFolder());
        const QString cutPath = frame->Worker()->dataFolder() + QStringLiteral("/cut.png");
        ASSERT_TRUE(cut.save(cutPath));
        auto job = std::make_unique<matting::MattingJob>();
        job->tag = CMainFrame::kWorkPortrait;
        job->name = ui::UserData(frame->FindControl(QStringLiteral("LayPicImg")));
        job->paths = {photo, cutPath};
        frame->TakeMattingAnswer(std::move(job), true);
        ASSERT_TRUE(WaitFor([&] { return frame->Canvas()->Document().HasCutOut(); }, 10000));
    }
    QString OutputFolder() const {
        return inputs->folder + QLatin1Char('/') + LangText(langkey::ui::kOutputPath);
    }

    QTemporaryDir temp;
    OemInfo oem;
    AppSettings settings;
    SilentService service;
    std::shared_ptr<FrameInputs> inputs = std::make_shared<FrameInputs>();
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(FrameCommandsTest, SingleSaveWritesThePictureAndStampsACollision) {
    ReadyPhoto(QStringLiteral("holiday.v2.png"), {64, 40});
    {
        MessageAnswer notice("btnClose");
        frame->SaveSingleResult();
        ASSERT_TRUE(WaitFor([&] { return notice.Shown(); }, 5000));
        EXPECT_TRUE(notice.OpenPathMode());
    }
    const QString first = OutputFolder() + QStringLiteral("/holiday.v2.png");
    QImage saved(first);
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(64, 40));
    // Kept half opaque green, the other half transparent.
    EXPECT_EQ(saved.pixel(5, 20), qRgba(10, 200, 30, 255));
    EXPECT_EQ(qAlpha(saved.pixel(60, 20)), 0);

    // Again with time stamps on: a second file with the stamp in its name.
    settings.timestamp = 1;
    {
        MessageAnswer notice("btnClose");
        frame->SaveSingleResult();
        ASSERT_TRUE(WaitFor([&] { return notice.Shown(); }, 5000));
    }
    const QStringList files = QDir(OutputFolder()).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^holiday\\.v2_\\d{16}\\.png$"))
                    .match(files[1])
                    .hasMatch())
        << files[1].toStdString();

    // Time stamps off: the first file is written over, no third file.
    settings.timestamp = 0;
    QFile::resize(first, 10);
    {
        MessageAnswer notice("btnClose");
        frame->SaveSingleResult();
        ASSERT_TRUE(WaitFor([&] { return notice.Shown(); }, 5000));
    }
    EXPECT_EQ(QDir(OutputFolder()).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(QImage(first).size(), QSize(64, 40));
}

TEST_F(FrameCommandsTest, SaveCancelledSaysNothingAndUnwritableFolderSaysSo) {
    ReadyPhoto(QStringLiteral("p.png"), {32, 32});
    inputs->folder.clear();
    MessageAnswer none;
    frame->SaveSingleResult();
    QApplication::processEvents();
    EXPECT_EQ(inputs->foldersAsked, 1);
    EXPECT_FALSE(none.Shown());

    // A folder that cannot be made (a file is in the way, which stops the
    // super-user as well): the user is told, nothing is written.
    const QString blocker = temp.filePath(QStringLiteral("blocker"));
    {
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    inputs->folder = blocker;
    MessageAnswer refused;
    frame->SaveSingleResult();
    ASSERT_TRUE(WaitFor([&] { return refused.Shown(); }, 5000));
    EXPECT_EQ(refused.Kind() & kMessageError, kMessageError);
    EXPECT_EQ(QFileInfo(blocker).size(), 1);
}

TEST_F(FrameCommandsTest, SaveBeforeTheCutOutArrivedIsRefusedWithoutAskingForAFolder) {
    const QString photo = MakePhoto(temp.filePath(QStringLiteral("p.png")));
    inputs->pictures.push_back({photo});
    frame->StartTask(CMainFrame::kWorkPortrait, false);
    MessageAnswer refused;
    frame->SaveSingleResult();
    ASSERT_TRUE(WaitFor([&] { return refused.Shown(); }, 5000));
    EXPECT_EQ(inputs->foldersAsked, 0);
}

TEST(WindowCommandsTest, LogExportsGetTheirOwnStampedNames) {
    QTemporaryDir temp;
    const QString log = temp.filePath(QStringLiteral("run.dat"));
    {
        QFile file(log);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("2026-12-06 10:00:00-started\r\n");
    }
    const QString picked = temp.filePath(QStringLiteral("out"));
    const auto pick = [&] { return picked; };
    const LogExportResult first = ExportLog(pick, log, QStringLiteral("Logs"));
    const LogExportResult second = ExportLog(pick, log, QStringLiteral("Logs"));
    ASSERT_EQ(first.status, LogExport::Done);
    ASSERT_EQ(second.status, LogExport::Done);
    EXPECT_EQ(first.folder, picked + QStringLiteral("/Logs"));
    EXPECT_NE(first.file, second.file);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("/LOG_\\d+\\.dat$")).match(first.file).hasMatch());
    QFile copy(second.file);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray("2026-12-06 10:00:00-started\r\n"));

    EXPECT_EQ(ExportLog([] { return QString(); }, log, QStringLiteral("Logs")).status,
              LogExport::Cancelled);
    EXPECT_EQ(
        ExportLog(pick, temp.filePath(QStringLiteral("none.dat")), QStringLiteral("Logs")).status,
        LogExport::NoLog);
}

TEST_F(FrameCommandsTest, InstallerMessageWithoutAnInstallerShowsTheErrorAndStaysOpen) {
    frame->SetInstallOffer([](CMainFrame&) { return true; });
    MessageAnswer error;
    frame->PostMessage(kWmRunInstaller);
    ASSERT_TRUE(WaitFor([&] { return error.Shown(); }, 5000));
    EXPECT_EQ(error.Kind() & kMessageError, kMessageError);
    EXPECT_TRUE(frame->IsWindow());
    // Declined: nothing happens at all.
    int offered = 0;
    frame->SetInstallOffer([&offered](CMainFrame&) {
        ++offered;
        return false;
    });
    MessageAnswer none;
    frame->PostMessage(kWmRunInstaller);
    QApplication::processEvents();
    EXPECT_EQ(offered, 1);
    EXPECT_FALSE(none.Shown());
}

TEST_F(FrameCommandsTest, MenuChoiceComesBackAsAMessageAndAddedHandlersWin) {
    int exported = 0;
    frame->SetMenuHandler(QStringLiteral("menuExportLog"),
                          [&exported](CMainFrame&) { ++exported; });
    ClickIn(frame.get(), "btnMenu");
    ASSERT_NE(frame->MenuWindow(), nullptr);
    EXPECT_TRUE(frame->MenuWindow()->isVisible());
    // The menu opens below the menu button.
    const QRect button = frame->GetControlPos(QStringLiteral("btnMenu"));
    EXPECT_GE(frame->MenuWindow()->geometry().top(), frame->mapToGlobal(button.bottomLeft()).y());
    ASSERT_TRUE(frame->MenuWindow()->Choose(QStringLiteral("menuExportLog")));
    ASSERT_TRUE(WaitFor([&] { return exported == 1; }, 5000));

    int clicks = 0;
    frame->SetClickHandler(QStringLiteral("btnKefu"),
                           [&clicks](CMainFrame&, ui::TNotifyUI&) { ++clicks; });
    QPushButton kefu;
    kefu.setObjectName(QStringLiteral("btnKefu"));
    ui::TNotifyUI msg{QString(ui::notify::kClick), &kefu};
    frame->Notify(msg);
    EXPECT_EQ(clicks, 1);
}

TEST_F(FrameCommandsTest, CloseAnsweredNoWithDoNotAskKeepsTheWindowAndStopsAsking) {
    QuilloraRegistry::Open().deleteCloseConfirm();
    {
        MessageAnswer no("btnClose", true);
        ClickIn(frame.get(), "btnClose");
        ASSERT_TRUE(WaitFor([&] { return no.Shown(); }, 5000));
    }
    QApplication::processEvents();
    EXPECT_TRUE(frame->IsWindow());
    EXPECT_EQ(QuilloraRegistry::Open().readCloseConfirm(), 0u);
    // The next close does not ask.
    MessageAnswer none;
    ClickIn(frame.get(), "btnClose");
    QApplication::sendPostedEvents(frame.get());
    EXPECT_FALSE(frame->IsWindow());
    EXPECT_FALSE(none.Shown());
}

}  // namespace
}  // namespace quillora::test
