#include "app/shell/core/CrashHandler.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace quillora::shell {
namespace {

// Runs `body` in a child process and returns its wait status; the child's
// standard output is collected in `output`.
template <class Body>
int RunChild(Body body, std::string* output = nullptr) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return -1;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        dup2(pipeFds[1], STDOUT_FILENO);
        body();
        _exit(0);
    }
    close(pipeFds[1]);
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (output != nullptr) {
        *output = text;
    }
    return status;
}

void FaultAt(quintptr where) {
    volatile quintptr address = where;
    *reinterpret_cast<volatile int*>(address) = 1;
}

TEST(CrashHandlerTest, WritesTheReportAndEndsWithTheSignalWhenNotRestarting) {
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("Error.tmp"));
    const int status = RunChild([&] {
        InstallCrashHandler({report, QStringLiteral("/bin/true"), false});
        FaultAt(0x10);
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("signal: 11 (SIGSEGV)")) << text.constData();
    EXPECT_TRUE(text.contains("address: 0x10\n")) << text.constData();
    EXPECT_TRUE(text.contains("backtrace:\n"));
}

TEST(CrashHandlerTest, OverwritesAnOldReport) {
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("Error.tmp"));
    QFile old(report);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'o'));
    old.close();
    RunChild([&] {
        InstallCrashHandler({report, QString(), false});
        std::raise(SIGFPE);
    });
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("Quillora crash report"));
    EXPECT_TRUE(text.contains("(SIGFPE)"));
    EXPECT_FALSE(text.contains("ooooo"));
}

TEST(CrashHandlerTest, RestartsTheProgramWithTheCrashInItsEnvironment) {
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("Error.tmp"));
    std::string output;
    // /usr/bin/env started with no arguments prints its environment.
    const int status = RunChild(
        [&] {
            InstallCrashHandler({report, QStringLiteral("/usr/bin/env"), true});
            FaultAt(0x20);
        },
        &output);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(output.find("QUILLORA_CRASHED=11:20\n"), std::string::npos) << output;
    EXPECT_TRUE(QFile::exists(report));
}

TEST(CrashHandlerTest, NoRestartWhenTheWindowAskedForNoneOrTheRunIsNotArmed) {
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("Error.tmp"));
    const int refused = RunChild([&] {
        InstallCrashHandler({report, QStringLiteral("/usr/bin/env"), true});
        SetNoRestart(true);
        FaultAt(0x10);
    });
    ASSERT_TRUE(WIFSIGNALED(refused));
    EXPECT_EQ(WTERMSIG(refused), SIGSEGV);

    const int unarmed = RunChild([&] {
        InstallCrashHandler({report, QStringLiteral("/usr/bin/env"), true});
        SetRestartArmed(false);
        FaultAt(0x10);
    });
    ASSERT_TRUE(WIFSIGNALED(unarmed));

    const int disallowed = RunChild([&] {
        InstallCrashHandler({report, QStringLiteral("/usr/bin/env"), true});
        SetCrashRestartAllowed(false);
        std::abort();
    });
    ASSERT_TRUE(WIFSIGNALED(disallowed));
    EXPECT_EQ(WTERMSIG(disallowed), SIGABRT);
}

TEST(CrashInfoTest, ParsesOnlyWellFormedValues) {
    const auto info = ParseCrashInfo("11:7f00aa");
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->signal, 11);
    EXPECT_EQ(info->address, 0x7f00aau);
    EXPECT_FALSE(ParseCrashInfo("").has_value());
    EXPECT_FALSE(ParseCrashInfo("11").has_value());
    EXPECT_FALSE(ParseCrashInfo(":10").has_value());
    EXPECT_FALSE(ParseCrashInfo("x:10").has_value());
    EXPECT_FALSE(ParseCrashInfo("11:zz").has_value());
    EXPECT_FALSE(ParseCrashInfo("-3:10").has_value());
}

TEST(CrashInfoTest, TakingTheVariableRemovesIt) {
    qputenv(kCrashVariable, "6:0");
    const auto info = TakeCrashInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->signal, 6);
    EXPECT_FALSE(qEnvironmentVariableIsSet(kCrashVariable));
    EXPECT_FALSE(TakeCrashInfo().has_value());
}

}  // namespace
}  // namespace quillora::shell
