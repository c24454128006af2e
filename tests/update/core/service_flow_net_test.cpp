#include "UpdateTestSupport.h"
#include "app/core/language/Messages.h"
#include "net/transport/CurlTransfer.h"
#include "net/transport/TextRequests.h"
#include "service/update/SamplePublisher.h"
#include "tests/net/LoopbackServer.h"
#include "tests/service/net/LoopbackService.h"
#include "update/core/ToolboxLogic.h"
#include "update/core/UpdateCheck.h"
#include "update/core/VersionText.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace quillora::update {
namespace {

using testing::TestFolder;

// The reference service on a free port, signing with the build's test key,
// with the sample update and toolbox published.
class SampleService : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(service_.Data());
        std::filesystem::copy_file(QUILLORA_TEST_SIGNING_KEY, service_.Data() / "signing-key.pem");
        std::filesystem::permissions(
            service_.Data() / "signing-key.pem",
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        ASSERT_TRUE(service_.Start());
        service::SampleSources sources;
        sources.toolboxArchive = QUILLORA_SAMPLE_TOOLBOX;
        sources.toolInstaller = QUILLORA_SAMPLE_TOOL_SETUP;
        sources.updateInstaller = QUILLORA_SAMPLE_SETUP;
        sources.languageFolder = QUILLORA_LANGUAGE_SOURCES;
        std::string problem;
        ASSERT_TRUE(service::PublishSample(service_.Data(), sources, &problem)) << problem;
        // The programs started here find their folders through these.
        setenv("QUILLORA_USER_DATA", QFile::encodeName(user_.path()).constData(), 1);
        setenv("QUILLORA_APP_DIR", QFile::encodeName(app_.path()).constData(), 1);
        setenv("XDG_DATA_HOME", QFile::encodeName(user_.file("xdg")).constData(), 1);
    }
    void TearDown() override {
        unsetenv("QUILLORA_USER_DATA");
        unsetenv("QUILLORA_APP_DIR");
        unsetenv("XDG_DATA_HOME");
    }

    std::shared_ptr<QuilloraRegistry> Registry() const {
        return std::make_shared<QuilloraRegistry>(
            platform::RegistryStore(user_.file("registry.ini")),
            platform::RegistryStore(app_.file("registry.ini")));
    }

    service::testing::LoopbackService service_;
    TestFolder user_;
    TestFolder app_;
};

bool WaitForFile(const QString& path, int ms) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (QFileInfo::exists(path)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST_F(SampleService, DailyCheckFindsTheNewVersionWithThisLanguagesNotes) {
    UpdateContext context = MakeDefaultContext();
    context.updateBase = service_.Base();
    context.userDataFolder = user_.path();
    context.runningVersion = "1.0.0.0";
    context.settings.loaded = true;
    context.settings.userConfigPath = user_.file("Config.ini");
    context.registry = Registry();
    context.notesName = [] { return std::string("notes_de"); };
    int notified = 0;
    context.notifyNewVersion = [&notified](QObject*) { ++notified; };
    context.dayOfMonth = [] { return 5; };
    CUpdate update(context);
    ASSERT_TRUE(update.StartDaily(nullptr));
    update.Join();
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(update.NewVersion(), "1.1.0.0");
    EXPECT_NE(update.Notes().find("Werkzeugkasten"), std::string::npos) << update.Notes();
    // The update configuration arrived as cd.dat.
    EXPECT_NE(user_.read("cd.dat").indexOf("Toolbox=1"), -1);

    // The release list gives the notes of the one newer release.
    const auto list =
        ParseReleaseList(net::GetStringFromUrl(service_.Base() + kReleaseListPath, true));
    ASSERT_TRUE(list.has_value());
    const std::string notes = BuildReleaseNotes(*list, "1.0.0.0");
    EXPECT_EQ(notes.rfind("- 1.1.0.0 (2026-12-01)\r\n", 0), 0u) << notes;
    EXPECT_EQ(notes.find("1.0.0.0"), std::string::npos);
}

TEST_F(SampleService, SignedInstallerRunsAndATamperedOneIsRefused) {
    const std::string installer = user_.local(kInstallerFileName);
    FileDownloader downloader;
    DownloadOptions options;
    options.verifySignature = true;
    ASSERT_EQ(downloader.Download(service_.Base() + kInstallerPath, installer,
                                  CreationMode::AlwaysCreate, options),
              kDownloadOk);
    ASSERT_TRUE(StartProgramFile(user_.file(kInstallerFileName)));
    EXPECT_TRUE(WaitForFile(user_.file("installer.log"), 10'000));

    // Someone on the way changes one byte and passes the real signature on.
    test::LoopbackServer middle;
    const std::string origin = service_.Base();
    middle.server().Get(R"(/quillora/(.*))",
                        [origin](const httplib::Request& request, httplib::Response& response) {
                            net::Transfer t;
                            t.url = origin + request.path;
                            net::TransferResult real = net::PerformTransfer(t);
                            if (!request.path.ends_with(".sig") && !real.body.empty()) {
                                real.body[real.body.size() / 2] ^= 0x20;
                            }
                            response.status = static_cast<int>(real.httpStatus);
                            response.set_content(real.body, "application/octet-stream");
                        });
    ASSERT_TRUE(middle.Start());
    QFile::remove(user_.file(kInstallerFileName));
    EXPECT_EQ(downloader.Download(middle.Url(kInstallerPath), installer, CreationMode::AlwaysCreate,
                                  options),
              kDownloadFailed);
    EXPECT_EQ(downloader.LastProblem(), DownloadProblem::Signature);
    EXPECT_FALSE(user_.exists(kInstallerFileName));
    EXPECT_FALSE(user_.exists("QuilloraSetup.exe.upd"));
}

TEST_F(SampleService, ToolboxRefreshesOnceAndTheInstalledToolShowsOpen) {
    ToolboxRefreshContext context;
    context.toolboxBase = service_.Base();
    context.userDataFolder = user_.path();
    context.registry = Registry();
    context.fetchText = [](const std::string& url) { return net::GetStringFromUrl(url, true); };
    context.dayOfMonth = 12;
    EXPECT_TRUE(ToolboxRefreshDue(*context.registry, 12));
    const RefreshResult first = RunToolboxRefresh(context);
    EXPECT_EQ(first.outcome, RefreshOutcome::Installed);
    EXPECT_TRUE(first.notify);
    EXPECT_TRUE(IsToolboxAvailable(user_.path()));
    EXPECT_EQ(context.registry->readToolboxVersion(), QStringLiteral("1.0.0.1"));
    EXPECT_FALSE(ToolboxRefreshDue(*context.registry, 12));
    EXPECT_TRUE(ToolboxRefreshDue(*context.registry, 13));
    // The same version again changes nothing and downloads nothing.
    context.dayOfMonth = 13;
    EXPECT_EQ(RunToolboxRefresh(context).outcome, RefreshOutcome::Unchanged);
    EXPECT_TRUE(ToolboxRefreshDue(*context.registry, 13));

    // The installable tool: downloaded signed, run, and then installed.
    ManualResetEvent stop;
    int started = 0;
    const auto outcome =
        RunToolInstaller(service_.Base() + "/download/quillora-stamp-setup", user_.path(),
                         QStringLiteral("quillora-stamp-setup"), QStringLiteral("--quiet"), nullptr,
                         stop, {}, [&started] { ++started; });
    EXPECT_EQ(outcome, InstallOutcome::Finished);
    EXPECT_EQ(started, 1);
    const QString folder =
        InstalledToolFolder(context.registry->machineStore(), QStringLiteral("QuilloraStamp"));
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/quillora-stamp")).isExecutable());
    ToolItem tool = ToolItem::Parse(
        QStringLiteral("regedit=QuilloraStamp;exe=quillora-stamp;installer=quillora-stamp-setup"));
    EXPECT_EQ(ButtonFor(tool, !folder.isEmpty(), false), ToolButton::Open);

    // An installer that is not on the host fails and leaves nothing.
    EXPECT_EQ(RunToolInstaller(service_.Base() + "/download/missing-setup", user_.path(),
                               QStringLiteral("missing-setup"), {}, nullptr, stop, {}, {}),
              InstallOutcome::DownloadFailed);
    EXPECT_FALSE(user_.exists("missing-setup"));
    EXPECT_FALSE(user_.exists("missing-setup.upd"));
}

TEST(ToolboxVersionAnswer, WithoutThePrefixNothingChanges) {
    TestFolder folder;
    test::LoopbackServer server;
    server.server().Get("/quillora/version.html",
                        [](const httplib::Request&, httplib::Response& r) {
                            r.set_content("<html>version=9.0</html>", "text/html");
                        });
    int archiveRequests = 0;
    server.server().Get("/quillora/toolbox.zip",
                        [&archiveRequests](const httplib::Request&, httplib::Response& r) {
                            ++archiveRequests;
                            r.set_content("qres", "application/octet-stream");
                        });
    ASSERT_TRUE(server.Start());
    folder.write(kToolboxFileName, "old archive");
    ToolboxRefreshContext context;
    context.toolboxBase = server.Base();
    context.userDataFolder = folder.path();
    context.registry = folder.registry();
    context.fetchText = [](const std::string& url) { return net::GetStringFromUrl(url, true); };
    context.dayOfMonth = 4;
    const RefreshResult result = RunToolboxRefresh(context);
    EXPECT_EQ(result.outcome, RefreshOutcome::Unchanged);
    EXPECT_EQ(archiveRequests, 0);
    EXPECT_EQ(folder.read(kToolboxFileName), QByteArray("old archive"));
    EXPECT_EQ(context.registry->readToolboxVersion(), QString());
    EXPECT_TRUE(ToolboxRefreshDue(*context.registry, 4));
}

TEST(ToolboxVersionAnswer, UnsignedArchiveLeavesNoToolbox) {
    TestFolder folder;
    test::LoopbackServer server;
    server.server().Get("/quillora/version.html",
                        [](const httplib::Request&, httplib::Response& r) {
                            r.set_content("version=2.0\r\n", "text/html");
                        });
    server.server().Get("/quillora/toolbox.zip", [](const httplib::Request&, httplib::Response& r) {
        r.set_content("qres-not-signed", "application/octet-stream");
    });
    ASSERT_TRUE(server.Start());
    folder.write(kToolboxFileName, "old archive");
    ToolboxRefreshContext context;
    context.toolboxBase = server.Base();
    context.userDataFolder = folder.path();
    context.registry = folder.registry();
    context.fetchText = [](const std::string& url) { return net::GetStringFromUrl(url, true); };
    context.dayOfMonth = 4;
    EXPECT_EQ(RunToolboxRefresh(context).outcome, RefreshOutcome::Failed);
    EXPECT_FALSE(folder.exists(kToolboxFileName));
    EXPECT_FALSE(folder.exists("toolbox.dat.tmp"));
    EXPECT_EQ(context.registry->readToolboxVersion(), QString());
    EXPECT_TRUE(ToolboxRefreshDue(*context.registry, 4));
}

}  // namespace
}  // namespace quillora::update
