#include "app/core/settings/QuilloraRegistry.h"
#include "app/shell/core/CrashDump.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>

namespace quillora::shell {
namespace {

TEST(DumpRuleTest, SizeLimitIsTwoMebibytesInclusive) {
    const std::uint32_t stored = 5;
    EXPECT_TRUE(DecideDumpUpload({true, 2'097'152, 9}, stored).upload);
    EXPECT_FALSE(DecideDumpUpload({true, 2'097'153, 9}, stored).upload);
    EXPECT_TRUE(DecideDumpUpload({true, 1, 9}, stored).upload);
    EXPECT_FALSE(DecideDumpUpload({true, 0, 9}, stored).upload);
    // Too large or empty: the time is still taken, so the file is not looked at again.
    const DumpDecision big = DecideDumpUpload({true, 2'097'153, 9}, stored);
    EXPECT_TRUE(big.storeDay);
    EXPECT_EQ(big.day, 9u);
}

TEST(DumpRuleTest, SameTimeIsNeverSentTwiceAndNoFileSendsNothing) {
    EXPECT_FALSE(DecideDumpUpload({true, 100, 77}, 77).upload);
    EXPECT_FALSE(DecideDumpUpload({true, 100, 77}, 77).storeDay);
    EXPECT_FALSE(DecideDumpUpload({false, 0, 0}, 1).storeDay);
    EXPECT_FALSE(DecideDumpUpload({false, 0, 0}, 1).upload);
}

TEST(DumpRuleTest, FileTimeMatchesTheWindowsClock) {
    // 1970-01-01 is 116444736000000000 ticks after 1601-01-01.
    EXPECT_EQ(FileTimeLow32(0, 0), static_cast<std::uint32_t>(116444736000000000ULL & 0xFFFFFFFF));
    // One second later is ten million ticks later; 150 ns is one tick.
    EXPECT_EQ(FileTimeLow32(1, 150) - FileTimeLow32(0, 0), 10'000'001u);
    // 2024-01-01T00:00:00Z = 1704067200 s: ticks 133485408000000000.
    EXPECT_EQ(FileTimeLow32(1'704'067'200, 0),
              static_cast<std::uint32_t>(133485408000000000ULL & 0xFFFFFFFF));
}

class PendingDumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        dump = dir.filePath(QStringLiteral("Error.tmp"));
    }
    QuilloraRegistry Registry() {
        return QuilloraRegistry(
            platform::RegistryStore(dir.filePath(QStringLiteral("user.ini"))),
            platform::RegistryStore(dir.filePath(QStringLiteral("machine.ini"))));
    }
    void WriteDump(qsizetype bytes, time_t seconds) {
        QFile file(dump);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(bytes, 'x'));
        file.close();
        const timeval times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(::utimes(QFile::encodeName(dump).constData(), times), 0);
    }

    QTemporaryDir dir;
    QString dump;
};

TEST_F(PendingDumpTest, UploadsOnlyTheFirstTimeForTheSameFile) {
    WriteDump(2'097'152, 1'700'000'000);
    QStringList uploaded;
    const auto upload = [&uploaded](const QString& path) { uploaded << path; };
    QuilloraRegistry first = Registry();
    EXPECT_TRUE(UploadPendingDump(dump, first, upload));
    QuilloraRegistry second = Registry();
    EXPECT_FALSE(UploadPendingDump(dump, second, upload));
    ASSERT_EQ(uploaded.size(), 1);
    EXPECT_EQ(uploaded[0], dump);
    EXPECT_EQ(second.readUpDumpDay(), FileTimeLow32(1'700'000'000, 0));
    EXPECT_TRUE(QFile::exists(dump));

    // A new crash (new time) is sent again.
    WriteDump(10, 1'700'000'060);
    QuilloraRegistry third = Registry();
    EXPECT_TRUE(UploadPendingDump(dump, third, upload));
    EXPECT_EQ(uploaded.size(), 2);
}

TEST_F(PendingDumpTest, OneByteTooLargeIsKeptButNotSent) {
    WriteDump(2'097'153, 1'700'000'000);
    QuilloraRegistry registry = Registry();
    int calls = 0;
    EXPECT_FALSE(UploadPendingDump(dump, registry, [&calls](const QString&) { ++calls; }));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(registry.readUpDumpDay(), FileTimeLow32(1'700'000'000, 0));
    EXPECT_TRUE(QFile::exists(dump));
}

TEST_F(PendingDumpTest, MissingFileChangesNothing) {
    QuilloraRegistry registry = Registry();
    registry.writeUpDumpDay(123);
    EXPECT_FALSE(UploadPendingDump(dump, registry, [](const QString&) { FAIL(); }));
    EXPECT_EQ(registry.readUpDumpDay(), 123u);
}

}  // namespace
}  // namespace quillora::shell
