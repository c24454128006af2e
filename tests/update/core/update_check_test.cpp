#include "update/core/UpdateCheck.h"

#include "UpdateTestSupport.h"
#include "app/core/language/Messages.h"

#include <gtest/gtest.h>

#include <future>
#include <map>
#include <mutex>
#include <vector>

namespace quillora::update {
namespace {

using testing::TestFolder;

// Records what the check shows and posts; answers fetches from a table.
struct Recorder {
    std::mutex mutex;
    std::map<std::string, std::string> answers;
    std::vector<std::string> fetched;
    std::vector<std::string> messages;
    std::vector<int> actions;
    int notified = 0;
    int started = 0;
    int answer = kMessageNo;
};

std::string KeyName(const LangKey& key) {
    return QString::fromUtf8(QByteArray::fromBase64(QByteArray(
                                 key.base64.data(), static_cast<int>(key.base64.size()))))
        .toStdString();
}

UpdateContext MakeContext(const TestFolder& folder, Recorder& recorder, int& day) {
    UpdateContext context = MakeDefaultContext();
    // Nothing listens here: downloads fail at once and leave no file.
    context.updateBase = "http://127.0.0.1:1";
    context.userDataFolder = folder.path();
    context.runningVersion = "1.2.0.0";
    context.settings.loaded = true;
    context.settings.userConfigPath = folder.file("Config.ini");
    context.registry = folder.registry();
    context.notesName = [] { return std::string("notes_en"); };
    context.fetchText = [&recorder](const std::string& url) {
        const std::lock_guard lock(recorder.mutex);
        recorder.fetched.push_back(url);
        const std::string path = url.substr(url.find('/', 7));
        const auto it = recorder.answers.find(path);
        return it == recorder.answers.end() ? std::string() : it->second;
    };
    context.sendAction = [&recorder](int type) {
        const std::lock_guard lock(recorder.mutex);
        recorder.actions.push_back(type);
    };
    context.showMessage = [&recorder](const LangKey& key, QObject*, unsigned) {
        const std::lock_guard lock(recorder.mutex);
        recorder.messages.push_back(KeyName(key));
        return recorder.answer;
    };
    context.notifyNewVersion = [&recorder](QObject*) {
        const std::lock_guard lock(recorder.mutex);
        ++recorder.notified;
    };
    context.runProgram = [&recorder](const QString&) {
        ++recorder.started;
        return true;
    };
    context.loadModule = [](const QString&) { return true; };
    context.dayOfMonth = [&day] { return day; };
    return context;
}

int VersionFetches(Recorder& recorder) {
    int n = 0;
    for (const auto& url : recorder.fetched) {
        n += url.ends_with(kVersionAnswerPath) ? 1 : 0;
    }
    return n;
}

TEST(DailyCheck, OncePerDayNumber) {
    TestFolder folder;
    Recorder recorder;
    int day = 14;
    CUpdate update(MakeContext(folder, recorder, day));
    EXPECT_TRUE(update.StartDaily(nullptr));
    update.Join();
    EXPECT_FALSE(update.StartDaily(nullptr));
    update.Join();
    EXPECT_EQ(VersionFetches(recorder), 1);
    EXPECT_EQ(folder.registry()->readUpdateDay(), 14u);
    // The same day number a month later is the same day to the rule; the
    // next day checks again.
    day = 15;
    EXPECT_TRUE(update.StartDaily(nullptr));
    update.Join();
    EXPECT_EQ(VersionFetches(recorder), 2);
    // A second object (the next start of the program) on the same day.
    CUpdate second(MakeContext(folder, recorder, day));
    EXPECT_FALSE(second.StartDaily(nullptr));
    EXPECT_EQ(VersionFetches(recorder), 2);
}

TEST(DailyCheck, NewerVersionNotifiesWithNotes) {
    TestFolder folder;
    Recorder recorder;
    int day = 3;
    recorder.answers[kVersionAnswerPath] =
        "version=<#1.2.0.1#>\r\nnotes_cn=<#cn#>\r\nnotes_en=<#Better edges#>\r\n";
    CUpdate update(MakeContext(folder, recorder, day));
    update.RunDaily();
    EXPECT_EQ(recorder.notified, 1);
    EXPECT_EQ(update.NewVersion(), "1.2.0.1");
    EXPECT_EQ(update.Notes(), "Better edges");
    EXPECT_TRUE(recorder.messages.empty());
}

TEST(DailyCheck, SameOrShorterEqualVersionIsSilent) {
    for (const char* answer : {"version=<#1.2#>", "version=<#1.2.0.0#>", "version=<#1.1.9.9#>",
                               "version<#9.0#>", "", "<html>busy</html>"}) {
        TestFolder folder;
        Recorder recorder;
        int day = 3;
        recorder.answers[kVersionAnswerPath] = answer;
        CUpdate update(MakeContext(folder, recorder, day));
        update.RunDaily();
        EXPECT_EQ(recorder.notified, 0) << answer;
        EXPECT_EQ(update.NewVersion(), "") << answer;
        EXPECT_TRUE(recorder.messages.empty()) << answer;
    }
}

TEST(DailyCheck, WaitingInstallerOrUnloadedSettingsSuppressTheOffer) {
    TestFolder folder;
    Recorder recorder;
    int day = 3;
    recorder.answers[kVersionAnswerPath] = "version=<#2.0#>";
    UpdateContext context = MakeContext(folder, recorder, day);
    folder.write("Config.ini", "[main]\r\nHasNewInstaller=1\r\n");
    folder.write(kInstallerFileName, "#!/bin/sh\n");
    {
        CUpdate update(context);
        EXPECT_TRUE(update.HasWaitingInstaller());
        update.RunDaily();
        EXPECT_EQ(recorder.notified, 0);
    }
    QFile::remove(folder.file(kInstallerFileName));
    context.settings.loaded = false;
    CUpdate update(context);
    EXPECT_FALSE(update.HasWaitingInstaller());
    update.RunDaily();
    EXPECT_EQ(recorder.notified, 0);
}

TEST(DailyCheck, RegistryChoresRunOnce) {
    TestFolder folder;
    Recorder recorder;
    int day = 3;
    auto registry = folder.registry();
    registry->userStore().writeDword(platform::kQuilloraRegistryKey, u"SendInstallMessage", 1);
    registry->userStore().writeString(platform::kQuilloraRegistryKey, u"DownloadedUpdateVersion",
                                      u"1.2.0.0");
    UpdateContext context = MakeContext(folder, recorder, day);
    context.oemPartnerId = QStringLiteral("oem77");
    CUpdate update(context);
    update.RunDaily();
    update.RunDaily();
    EXPECT_EQ(recorder.actions, std::vector<int>{kReportInstall});
    EXPECT_FALSE(registry->hasSendInstallMessage());
    EXPECT_EQ(registry->readDownloadedUpdateVersion(), QString());
    EXPECT_EQ(registry->readPartner(), QStringLiteral("oem77"));
}

TEST(DailyCheck, DownloadedVersionOtherThanRunningIsKept) {
    TestFolder folder;
    Recorder recorder;
    int day = 3;
    auto registry = folder.registry();
    registry->userStore().writeString(platform::kQuilloraRegistryKey, u"DownloadedUpdateVersion",
                                      u"1.3.0.0");
    CUpdate update(MakeContext(folder, recorder, day));
    update.RunDaily();
    EXPECT_EQ(registry->readDownloadedUpdateVersion(), QStringLiteral("1.3.0.0"));
}

TEST(ManualCheck, ThreeMessages) {
    struct Case {
        const char* answer;
        const char* message;
        int notified;
    };
    for (const Case& c : {Case{"", "NoVersion", 0}, Case{"version:<#1.2.0.0#>", "NotUpdate", 0},
                          Case{"version <#1.3#>", "", 1}, Case{"version<#1.3#>", "NoVersion", 0}}) {
        TestFolder folder;
        Recorder recorder;
        int day = 3;
        recorder.answers[kVersionAnswerPath] = c.answer;
        CUpdate update(MakeContext(folder, recorder, day));
        update.CheckNow(nullptr);
        update.Join();
        EXPECT_EQ(recorder.notified, c.notified) << c.answer;
        if (*c.message != '\0') {
            EXPECT_EQ(recorder.messages, std::vector<std::string>{c.message}) << c.answer;
        } else {
            EXPECT_TRUE(recorder.messages.empty()) << c.answer;
        }
    }
}

TEST(ManualCheck, ClosingProgramHearsNothingMore) {
    TestFolder folder;
    Recorder recorder;
    int day = 3;
    UpdateContext context = MakeContext(folder, recorder, day);
    std::promise<void> asked;
    std::promise<void> answer;
    auto reply = answer.get_future().share();
    context.fetchText = [&asked, reply](const std::string&) {
        asked.set_value();
        reply.wait();
        return std::string("version=<#9.0#>");
    };
    CUpdate update(context);
    update.CheckNow(nullptr);
    asked.get_future().wait();
    EXPECT_TRUE(update.IsRunning());
    update.BeginClosing();
    answer.set_value();
    update.Join();
    EXPECT_FALSE(update.IsRunning());
    EXPECT_EQ(recorder.notified, 0);
    EXPECT_TRUE(recorder.messages.empty());
}

TEST(ManualCheck, BrandingAddressWinsWhenItIsHttp) {
    TestFolder folder;
    Recorder recorder;
    int day = 3;
    recorder.answers["/branded/version.txt"] = "version=<#5.0#>";
    UpdateContext context = MakeContext(folder, recorder, day);
    context.oemNewVersionUrl = QStringLiteral("http://127.0.0.1:1/branded/version.txt");
    CUpdate update(context);
    update.RunManual();
    EXPECT_EQ(recorder.notified, 1);
    EXPECT_EQ(update.NewVersion(), "5.0");

    context.oemNewVersionUrl = QStringLiteral("ftp://elsewhere/version.txt");
    CUpdate plain(context);
    plain.RunManual();
    EXPECT_EQ(recorder.messages, std::vector<std::string>{"NoVersion"});
}

TEST(ManualCheck, WaitingInstallerIsOfferedInstead) {
    TestFolder folder;
    Recorder recorder;
    int day = 3;
    folder.write("Config.ini", "[main]\r\nHasNewInstaller=1\r\n");
    folder.write(kInstallerFileName, "#!/bin/sh\n");
    recorder.answer = kMessageYes;
    CUpdate update(MakeContext(folder, recorder, day));
    update.CheckNow(nullptr);
    update.Join();
    EXPECT_EQ(recorder.messages, std::vector<std::string>{"HasUpdate"});
    EXPECT_EQ(recorder.started, 1);
    EXPECT_TRUE(recorder.fetched.empty());

    recorder.answer = kMessageNo;
    EXPECT_FALSE(update.AskAndRunWaitingInstaller(nullptr));
    EXPECT_EQ(recorder.started, 1);
    // Without the switch the file alone is no waiting installer.
    folder.write("Config.ini", "[main]\r\nHasNewInstaller=0\r\n");
    EXPECT_FALSE(update.HasWaitingInstaller());
}

}  // namespace
}  // namespace quillora::update
