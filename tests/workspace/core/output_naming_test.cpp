#include "workspace/core/naming/OutputNaming.h"

#include <QSet>

#include <gtest/gtest.h>

#include <chrono>

namespace quillora::workspace {
namespace {

PathTaken TakenFrom(QSet<QString> paths) {
    return [paths](const QString& path) { return paths.contains(path); };
}

TEST(OutputNamingTest, SourceNameSplitsAtTheLastDotOfTheFileName) {
    EXPECT_EQ(SplitSourceName(QStringLiteral("/in/photo.jpg")).base, QStringLiteral("photo"));
    EXPECT_EQ(SplitSourceName(QStringLiteral("/in/photo.jpg")).extension, QStringLiteral(".jpg"));
    EXPECT_EQ(SplitSourceName(QStringLiteral("/in/a.b.png")).base, QStringLiteral("a.b"));
    EXPECT_EQ(SplitSourceName(QStringLiteral("/in/a.b.png")).extension, QStringLiteral(".png"));
    // A dot in a folder name is not an extension.
    EXPECT_EQ(SplitSourceName(QStringLiteral("/in.d/photo")).base, QStringLiteral("photo"));
    EXPECT_TRUE(SplitSourceName(QStringLiteral("/in.d/photo")).extension.isEmpty());
    // A leading dot alone keeps the whole name as base.
    EXPECT_EQ(SplitSourceName(QStringLiteral("/in/.png")).base, QStringLiteral(".png"));
    EXPECT_TRUE(SplitSourceName(QStringLiteral("/in/")).base.isEmpty());
}

TEST(OutputNamingTest, OutputFolderIsAlwaysASubFolderOfThePickedOne) {
    EXPECT_EQ(OutputFolderFor(QStringLiteral("/home/u/Photos"), QStringLiteral("Cut-outs")),
              QStringLiteral("/home/u/Photos/Cut-outs"));
    EXPECT_EQ(OutputFolderFor(QStringLiteral("/home/u/Photos/"), QStringLiteral("Cut-outs")),
              QStringLiteral("/home/u/Photos/Cut-outs"));
    EXPECT_EQ(OutputFolderFor(QStringLiteral("/"), QStringLiteral("Out")), QStringLiteral("/Out"));
    EXPECT_TRUE(OutputFolderFor(QString(), QStringLiteral("Out")).isEmpty());
}

TEST(OutputNamingTest, SinglePageNameAndItsCollisionRule) {
    const QString folder = QStringLiteral("/out/Cut-outs");
    const QString source = QStringLiteral("/in/holiday.photo.jpg");
    const QString plain = folder + QStringLiteral("/holiday.photo.png");
    const std::int64_t stamp = 1733500000123456;

    EXPECT_EQ(SinglePageOutputPath(folder, source, true, stamp, TakenFrom({})), plain);
    // Taken and the setting on: the time stamp goes between base and .png.
    EXPECT_EQ(SinglePageOutputPath(folder, source, true, stamp, TakenFrom({plain})),
              folder + QStringLiteral("/holiday.photo_1733500000123456.png"));
    // Taken and the setting off: the same name, written over.
    EXPECT_EQ(SinglePageOutputPath(folder, source, false, stamp, TakenFrom({plain})), plain);
    // Another file taken does not count.
    EXPECT_EQ(
        SinglePageOutputPath(folder, source, true, stamp, TakenFrom({folder + "/holiday.png"})),
        plain);
    // Negative stamps print as signed numbers rather than wrapping.
    EXPECT_EQ(SinglePageOutputPath(folder, source, true, -5, TakenFrom({plain})),
              folder + QStringLiteral("/holiday.photo_-5.png"));
    EXPECT_TRUE(SinglePageOutputPath(folder, QStringLiteral("/in/"), true, stamp, {}).isEmpty());
}

TEST(OutputNamingTest, ExportedLogNamesDifferByTheirStamp) {
    EXPECT_EQ(ExportedLogPath(QStringLiteral("/tmp/Logs"), 42),
              QStringLiteral("/tmp/Logs/LOG_42.dat"));
    EXPECT_NE(ExportedLogPath(QStringLiteral("/tmp/Logs"), 42),
              ExportedLogPath(QStringLiteral("/tmp/Logs"), 43));
}

TEST(OutputNamingTest, StampsAreMicrosecondsOfTheSystemClock) {
    using namespace std::chrono;
    const auto before = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    const std::int64_t now = MicrosecondsNow();
    const auto after = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    EXPECT_GE(now, before);
    EXPECT_LE(now, after);
    EXPECT_EQ(StampText(now).toLongLong(), now);
}

}  // namespace
}  // namespace quillora::workspace
