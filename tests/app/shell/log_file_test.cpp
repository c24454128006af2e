#include "app/shell/core/LogFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace quillora::shell {
namespace {

TEST(LogLineTest, HasTimeDashMessageAndCrLf) {
    const QDateTime when(QDate(2024, 3, 9), QTime(7, 5, 3));
    EXPECT_EQ(FormatLogLine(when, u"[Error]:42"), QByteArray("2024-03-09 07:05:03-[Error]:42\r\n"));
    EXPECT_EQ(FormatLogLine(when, u""), QByteArray("2024-03-09 07:05:03-\r\n"));
    // Text outside ASCII is written as UTF-8.
    EXPECT_EQ(FormatLogLine(when, u"\u00e9"), QByteArray("2024-03-09 07:05:03-\xc3\xa9\r\n"));
}

TEST(LogLineTest, MessageIsCutTo511UnitsWithoutSplittingAPair) {
    const QDateTime when(QDate(2024, 1, 1), QTime(0, 0, 0));
    const QString longText(600, QLatin1Char('a'));
    const QByteArray line = FormatLogLine(when, longText);
    EXPECT_EQ(line.size(), 19 + 1 + 511 + 2);
    // A surrogate pair across the cut is dropped whole.
    QString pair = QString(510, QLatin1Char('b')) + QString::fromUtf8("\xF0\x9F\x98\x80");
    const QByteArray cut = FormatLogLine(when, pair);
    EXPECT_EQ(cut.size(), 19 + 1 + 510 + 2);
}

TEST(LogFileTest, AppendsLinesAndDropsThemWithoutAPath) {
    QTemporaryDir dir;
    SetLogFilePath(QString());
    EXPECT_FALSE(WriteLog(u"lost"));
    const QString path = dir.filePath(QStringLiteral("run.dat"));
    SetLogFilePath(path);
    EXPECT_TRUE(WriteLog(u"first"));
    EXPECT_TRUE(WriteLogF("[Error]:%d", 7));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);  // two lines and the empty rest
    EXPECT_TRUE(lines[0].endsWith("-first\r"));
    EXPECT_TRUE(lines[1].endsWith("-[Error]:7\r"));
    EXPECT_EQ(lines[0].indexOf('-', 11), 19);

    SetLogFilePath(dir.filePath(QStringLiteral("missing/run.dat")));
    EXPECT_FALSE(WriteLog(u"nowhere"));
    SetLogFilePath(QString());
}

TEST(LogFileTest, LinesFromManyThreadsStayWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.dat"));
    SetLogFilePath(path);
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t] {
            const QString text = QString(300, QChar(u'a' + t));
            for (int i = 0; i < kLines; ++i) {
                WriteLog(text);
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    lines.removeLast();
    ASSERT_EQ(lines.size(), kThreads * kLines);
    for (const QByteArray& line : lines) {
        const QByteArray body = line.mid(20, 300);
        EXPECT_EQ(body, QByteArray(300, body.at(0)));
        EXPECT_TRUE(line.endsWith('\r'));
    }
    SetLogFilePath(QString());
}

}  // namespace
}  // namespace quillora::shell
