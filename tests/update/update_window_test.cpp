#include "app/core/language/Messages.h"
#include "app/core/settings/OemInfo.h"
#include "net/transport/TextRequests.h"
#include "service/update/SamplePublisher.h"
#include "tests/app/shell/DialogTestSupport.h"
#include "tests/net/LoopbackServer.h"
#include "tests/service/net/LoopbackService.h"
#include "ui/Controls.h"
#include "update/FrameCommands.h"
#include "update/Toolbox.h"
#include "update/UpdateCommands.h"
#include "update/UpdateDlg.h"
#include "update/core/UpdateCheck.h"
#include "workspace/frame/MainFrame.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QProgressBar>
#include <QTextEdit>

#include <atomic>
#include <chrono>
#include <thread>

namespace quillora::update {
namespace {

using test::DialogApp;
using test::WhenShown;

// Saves a picture of the window when QUILLORA_UPDATE_SCREENSHOTS names a folder.
void Snapshot(QWidget* window, const char* name) {
    const QString folder = qEnvironmentVariable("QUILLORA_UPDATE_SCREENSHOTS");
    if (!folder.isEmpty() && window != nullptr) {
        QCoreApplication::processEvents();
        window->grab().save(folder + QLatin1Char('/') + QLatin1String(name));
    }
}

class Environment : public ::testing::Environment {
public:
    void SetUp() override {
        DialogApp();
        // The tools installed here record themselves beside a program of
        // their own, not in the build's bin folder.
        static QTemporaryDir app;
        QFile::link(QStringLiteral(QUILLORA_BIN_DIR "/language"), app.filePath("language"));
        qputenv("QUILLORA_APP_DIR", app.path().toUtf8());
        static QTemporaryDir xdg;
        qputenv("XDG_DATA_HOME", xdg.path().toUtf8());
    }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment);

// The reference service with the build's test key and the sample published.
class Service : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(service_.Data());
        std::filesystem::copy_file(QUILLORA_TEST_SIGNING_KEY, service_.Data() / "signing-key.pem");
        ASSERT_TRUE(service_.Start());
        service::SampleSources sources;
        sources.toolboxArchive = QUILLORA_SAMPLE_TOOLBOX;
        sources.toolInstaller = QUILLORA_SAMPLE_TOOL_SETUP;
        sources.updateInstaller = QUILLORA_SAMPLE_SETUP;
        sources.languageFolder = QUILLORA_LANGUAGE_SOURCES;
        std::string problem;
        ASSERT_TRUE(service::PublishSample(service_.Data(), sources, &problem)) << problem;
        SetMessagePresenter([this](const MessageRequest& request) {
            shown_.push_back(request.text);
            return kMessageNo;
        });
    }
    void TearDown() override { SetMessagePresenter(nullptr); }

    UpdateDialogSetup DialogSetup(const std::string& base) {
        UpdateDialogSetup setup;
        setup.releaseListUrl = base + kReleaseListPath;
        setup.installerUrl = base + kInstallerPath;
        setup.installerPath = folder_.filePath(QLatin1String(kInstallerFileName));
        setup.runningVersion = "1.0.0.0";
        setup.newVersion = "1.1.0.0";
        setup.productName = QStringLiteral("Quillora");
        setup.fetchText = [](const std::string& url) { return net::GetStringFromUrl(url, true); };
        setup.sendAction = [this](int type) { actions_.push_back(type); };
        return setup;
    }

    service::testing::LoopbackService service_;
    QTemporaryDir folder_;
    std::vector<QString> shown_;
    std::vector<int> actions_;
};

TEST_F(Service, DialogShowsNotesThenDownloadsTheSignedInstaller) {
    CUpdateDlg dialog(DialogSetup(service_.Base()));
    ASSERT_TRUE(dialog.Create(nullptr, QStringLiteral("Quillora"), kDialogStyle));
    dialog.CenterWindow();
    dialog.ShowWindow();
    for (int i = 0; i < 500 && dialog.NotesText().isEmpty(); ++i) {
        QTest::qWait(10);
    }
    const QString notes = dialog.FindControl<QTextEdit>(QStringLiteral("Content"))->toPlainText();
    EXPECT_TRUE(notes.startsWith(QStringLiteral("- 1.1.0.0 (2026-12-01)\n")))
        << notes.toStdString();
    EXPECT_FALSE(notes.contains(QStringLiteral("1.0.0.0")));
    EXPECT_TRUE(dialog.GetText(QStringLiteral("Description")).contains(QStringLiteral("1.0.0.0")));
    EXPECT_TRUE(dialog.GetText(QStringLiteral("newVersion")).contains(QStringLiteral("1.1.0.0")));
    EXPECT_FALSE(dialog.GetText(QStringLiteral("Description")).contains(QStringLiteral("%s")));
    Snapshot(&dialog, "update_dialog_notes.png");

    WhenShown<CUpdateDlg>([](CUpdateDlg* shown) { test::ClickIn(shown, "Update"); });
    dialog.ShowModal();
    EXPECT_TRUE(dialog.Downloaded());
    const QString installer = folder_.filePath(QLatin1String(kInstallerFileName));
    EXPECT_EQ(QFile::permissions(installer) &
                  ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(actions_, std::vector<int>{kReportDownload});
    EXPECT_TRUE(shown_.empty());
}

TEST_F(Service, ProgressShowsAndCancelClosesWithoutAMessage) {
    test::LoopbackServer slow;
    std::atomic<bool> release{false};
    slow.server().Get(kInstallerPath, [&release](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(
            100'000, "application/octet-stream",
            [&release](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset == 0) {
                    const std::string first(40'000, 'x');
                    sink.write(first.data(), first.size());
                    return true;
                }
                for (int i = 0; i < 750 && !release; ++i) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
                return false;
            });
    });
    ASSERT_TRUE(slow.Start());
    UpdateDialogSetup setup = DialogSetup(service_.Base());
    setup.installerUrl = slow.Url(kInstallerPath);
    CUpdateDlg dialog(setup);
    ASSERT_TRUE(dialog.Create(nullptr, QStringLiteral("Quillora"), kDialogStyle));
    dialog.CenterWindow();
    int seenProgress = -1;
    std::chrono::steady_clock::duration cancelTook{};
    WhenShown<CUpdateDlg>([&](CUpdateDlg* shown) {
        test::ClickIn(shown, "Update");
        auto* bar = shown->FindControl<QProgressBar>(QStringLiteral("progress"));
        for (int i = 0; i < 200 && bar->value() == 0; ++i) {
            QTest::qWait(10);
        }
        seenProgress = bar->value();
        Snapshot(shown, "update_dialog_progress.png");
        const auto start = std::chrono::steady_clock::now();
        test::ClickIn(shown, "Cancel");
        cancelTook = std::chrono::steady_clock::now() - start;
    });
    dialog.ShowModal();
    release = true;
    // 40,000 of 100,000 bytes: 40 percent.
    EXPECT_EQ(seenProgress, 40);
    EXPECT_LT(cancelTook, std::chrono::seconds(5));
    EXPECT_FALSE(dialog.Downloaded());
    EXPECT_TRUE(shown_.empty());
    EXPECT_FALSE(QFile::exists(folder_.filePath(QLatin1String(kInstallerFileName))));
    EXPECT_FALSE(QFile::exists(folder_.filePath(QStringLiteral("QuilloraSetup.exe.upd"))));
}

TEST_F(Service, SlowReleaseListNeverHoldsTheWindow) {
    test::LoopbackServer slow;
    std::atomic<bool> release{false};
    slow.server().Get(
        kReleaseListPath, [&release](const httplib::Request&, httplib::Response& res) {
            for (int i = 0; i < 300 && !release; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            res.set_content(R"([{"version":"1.1.0.0","date":"d","content":["late"]}])",
                            "application/json");
        });
    ASSERT_TRUE(slow.Start());
    UpdateDialogSetup setup = DialogSetup(slow.Base());
    const auto start = std::chrono::steady_clock::now();
    {
        CUpdateDlg dialog(setup);
        ASSERT_TRUE(dialog.Create(nullptr, QStringLiteral("Quillora"), kDialogStyle));
        dialog.ShowWindow();
        QCoreApplication::processEvents();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_TRUE(dialog.NotesText().isEmpty());
        release = true;
        for (int i = 0; i < 500 && dialog.NotesText().isEmpty(); ++i) {
            QTest::qWait(10);
        }
        EXPECT_EQ(dialog.NotesText(), QStringLiteral("- 1.1.0.0 (d)\r\nlate"));
        dialog.Close(0);
        QCoreApplication::processEvents();
    }
}

TEST_F(Service, FailedDownloadSaysSoAndCloses) {
    UpdateDialogSetup setup = DialogSetup(service_.Base());
    setup.installerUrl = service_.Base() + "/quillora/missing.exe";
    CUpdateDlg dialog(setup);
    ASSERT_TRUE(dialog.Create(nullptr, QStringLiteral("Quillora"), kDialogStyle));
    WhenShown<CUpdateDlg>([](CUpdateDlg* shown) { test::ClickIn(shown, "Update"); });
    dialog.ShowModal();
    EXPECT_FALSE(dialog.Downloaded());
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0], MessageTextsFor(u"DownloadErr").text);
}

class Panel : public Service {
protected:
    ToolboxSetup PanelSetup() {
        ToolboxSetup setup;
        setup.userDataFolder = user_.path();
        setup.toolboxBase = service_.Base();
        setup.registry = std::make_shared<QuilloraRegistry>(
            platform::RegistryStore(user_.filePath("registry.ini")),
            platform::RegistryStore::ForMachine());
        setup.fetchText = [](const std::string& url) { return net::GetStringFromUrl(url, true); };
        setup.dayOfMonth = [] { return 21; };
        setup.restoreMainSkin = [] {
            static const QByteArray archive = skin::EmbeddedArchive();
            ui::CPaintManagerUI::SetResourceZip(reinterpret_cast<const uchar*>(archive.constData()),
                                                archive.size());
        };
        setup.openUrl = [this](const QString& url) {
            opened_.push_back(url);
            return true;
        };
        setup.startProgram = [this](const QString& program) {
            started_.push_back(program);
            return true;
        };
        return setup;
    }
    void CopySampleArchive() {
        QFile::remove(user_.filePath("toolbox.dat"));
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(QUILLORA_SAMPLE_TOOLBOX), user_.filePath("toolbox.dat")));
    }

    QTemporaryDir user_;
    std::vector<QString> opened_;
    std::vector<QString> started_;
};

TEST_F(Panel, RefreshShowsItemsAndInstallTurnsGetIntoOpen) {
    auto machine = platform::RegistryStore::ForMachine();
    machine.deleteValue(u"Software\\QuilloraStamp", u"Path");
    QObject notify;
    CToolbox toolbox(PanelSetup());
    EXPECT_FALSE(toolbox.IsAvailable());
    EXPECT_FALSE(toolbox.Show(nullptr, QPoint(100, 100)));
    toolbox.Refresh(kToolboxId, &notify, kMsgToolboxInstalled);
    ASSERT_TRUE(toolbox.WaitForRefresh(10'000));
    EXPECT_TRUE(toolbox.IsAvailable());
    ASSERT_TRUE(toolbox.Show(nullptr, QPoint(100, 100)));
    // The program's own skin is the resource archive again.
    EXPECT_FALSE(ui::CPaintManagerUI::ResourcePath(QStringLiteral("dlg_update.xml")).isEmpty());
    ASSERT_EQ(toolbox.ItemCount(), 2);
    EXPECT_EQ(toolbox.ButtonText(0), QStringLiteral("Learn more"));
    EXPECT_EQ(toolbox.ButtonText(1), QStringLiteral("Get"));
    Snapshot(&toolbox, "toolbox_panel.png");

    // The web tool opens its address.
    QTest::mouseClick(toolbox.ItemAt(0)->findChild<QAbstractButton*>(QStringLiteral("button")),
                      Qt::LeftButton);
    EXPECT_EQ(opened_,
              std::vector<QString>{QStringLiteral("https://quillora.example/tools/resize")});

    // The installable tool: its signed installer runs, then it shows "Open".
    QTest::mouseClick(toolbox.ItemAt(1)->findChild<QAbstractButton*>(QStringLiteral("button")),
                      Qt::LeftButton);
    for (int i = 0; i < 1000 && toolbox.ButtonText(1) != QStringLiteral("Open"); ++i) {
        QTest::qWait(10);
    }
    EXPECT_EQ(toolbox.ButtonText(1), QStringLiteral("Open"));
    Snapshot(&toolbox, "toolbox_panel_installed.png");
    QTest::mouseClick(toolbox.ItemAt(1)->findChild<QAbstractButton*>(QStringLiteral("button")),
                      Qt::LeftButton);
    ASSERT_EQ(started_.size(), 1u);
    EXPECT_TRUE(started_[0].endsWith(QStringLiteral("/QuilloraTools/Stamp/quillora-stamp")));

    // Escape hides the panel.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&toolbox, &escape);
    EXPECT_FALSE(toolbox.isVisible());
    machine.deleteValue(u"Software\\QuilloraStamp", u"Path");
}

TEST_F(Panel, BrokenArchivesAreNotShown) {
    const QByteArray sample = [] {
        QFile f(QStringLiteral(QUILLORA_SAMPLE_TOOLBOX));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    ASSERT_GT(sample.size(), 100);
    for (const QByteArray& bytes :
         {sample.left(sample.size() / 2), QByteArray("PK\x03\x04 not qres"), QByteArray()}) {
        QFile out(user_.filePath("toolbox.dat"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();
        CToolbox toolbox(PanelSetup());
        EXPECT_FALSE(toolbox.Show(nullptr, QPoint(10, 10))) << bytes.size();
        EXPECT_FALSE(toolbox.isVisible());
        EXPECT_FALSE(ui::CPaintManagerUI::ResourcePath(QStringLiteral("dlg_update.xml")).isEmpty());
    }
}

TEST_F(Panel, LayoutWithoutItsListIsNotShown) {
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(QUILLORA_NOLIST_TOOLBOX), user_.filePath("toolbox.dat")));
    CToolbox toolbox(PanelSetup());
    EXPECT_TRUE(toolbox.IsAvailable());
    EXPECT_FALSE(toolbox.Show(nullptr, QPoint(10, 10)));
    EXPECT_FALSE(toolbox.isVisible());
    EXPECT_EQ(toolbox.ItemCount(), 0);
    EXPECT_FALSE(ui::CPaintManagerUI::ResourcePath(QStringLiteral("dlg_update.xml")).isEmpty());
}

TEST_F(Panel, StatesAreReadWhenThePanelShows) {
    CopySampleArchive();
    QDir(user_.path()).mkpath(QStringLiteral("resizer"));
    auto machine = platform::RegistryStore::ForMachine();
    machine.writeString(u"Software\\QuilloraStamp", u"Path", user_.filePath("resizer"));
    CToolbox toolbox(PanelSetup());
    ASSERT_TRUE(toolbox.Show(nullptr, QPoint(10, 10)));
    EXPECT_EQ(toolbox.ButtonText(0), QStringLiteral("Learn more"));
    EXPECT_EQ(toolbox.ButtonText(1), QStringLiteral("Open"));
    machine.deleteValue(u"Software\\QuilloraStamp", u"Path");
}

// The main window with the update and toolbox commands attached.
class Frame : public ::testing::Test {
protected:
    void SetUp() override {
        // Nothing answers here: the toolbox refresh finds no newer version.
        qputenv("QUILLORA_SERVICE", "http://127.0.0.1:1");
        userData_ = qEnvironmentVariable("QUILLORA_USER_DATA");
        QFile::remove(userData_ + QStringLiteral("/toolbox.dat"));
        QFile::remove(userData_ + QStringLiteral("/cd.dat"));
        static const QByteArray archive = skin::EmbeddedArchive();
        oem_.skinData = reinterpret_cast<const uchar*>(archive.constData());
        oem_.skinSize = static_cast<std::uint32_t>(archive.size());
    }
    void TearDown() override { qunsetenv("QUILLORA_SERVICE"); }

    bool ButtonShown(CMainFrame& frame) const {
        QWidget* layout = frame.FindControl(QStringLiteral("LayoutToolbox"));
        return layout != nullptr && !layout->isHidden();
    }
    void PlaceArchive() const {
        QFile::copy(QStringLiteral(QUILLORA_SAMPLE_TOOLBOX),
                    userData_ + QStringLiteral("/toolbox.dat"));
    }

    OemInfo oem_;
    QString userData_;
};

TEST_F(Frame, ToolboxButtonFollowsArchiveAndSwitches) {
    CMainFrame frame(oem_);
    ASSERT_TRUE(frame.Create(nullptr, QStringLiteral("Quillora"), kMainFrameStyle, 0, 0, 900, 640));
    frame.ShowWindow();
    ASSERT_NE(frame.FindControl(QStringLiteral("btnToolbox")), nullptr);
    AttachUpdateCommands(frame, oem_, userData_);
    EXPECT_FALSE(ButtonShown(frame));

    // The archive arrives: message 1028 shows the button.
    PlaceArchive();
    ASSERT_TRUE(IsToolboxAvailable(userData_)) << userData_.toStdString();
    frame.SendMessage(kWmToolboxChanged);
    EXPECT_TRUE(ButtonShown(frame));

    // The button opens the panel below itself.
    QTest::mouseClick(frame.FindControl<QAbstractButton>(QStringLiteral("btnToolbox")),
                      Qt::LeftButton);
    CToolbox* panel = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<CToolbox*>(window); found != nullptr && found->isVisible()) {
            panel = found;
        }
    }
    ASSERT_NE(panel, nullptr);
    const QRect button = frame.GetControlPos(QStringLiteral("btnToolbox"));
    EXPECT_EQ(panel->pos(), frame.mapToGlobal(button.bottomLeft()));
    EXPECT_EQ(panel->ItemCount(), 2);
    Snapshot(&frame, "main_window_toolbox_button.png");

    // Toolbox=0 in the update configuration hides it although the archive is there.
    QFile cd(userData_ + QStringLiteral("/cd.dat"));
    ASSERT_TRUE(cd.open(QIODevice::WriteOnly));
    cd.write("[Config]\r\nToolbox=0\r\n");
    cd.close();
    frame.SendMessage(kWmToolboxChanged);
    EXPECT_FALSE(ButtonShown(frame));
    frame.Close(0);
    QCoreApplication::processEvents();
}

TEST_F(Frame, BrandingWithoutToolsHidesTheButton) {
    PlaceArchive();
    oem_.showTool = false;
    CMainFrame frame(oem_);
    ASSERT_TRUE(frame.Create(nullptr, QStringLiteral("Quillora"), kMainFrameStyle, 0, 0, 900, 640));
    frame.ShowWindow();
    AttachUpdateCommands(frame, oem_, userData_);
    EXPECT_FALSE(ButtonShown(frame));
    frame.SendMessage(kWmToolboxChanged);
    EXPECT_FALSE(ButtonShown(frame));
    // The same window with the tools switched on shows it.
    oem_.showTool = true;
    frame.SendMessage(kWmToolboxChanged);
    EXPECT_TRUE(ButtonShown(frame));
    frame.Close(0);
    QCoreApplication::processEvents();
}

}  // namespace
}  // namespace quillora::update
