// The command-line batch against the real reference service.
#include "tests/workspace/road/ServiceProcess.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>

#include "canvas/imaging/Imaging.h"
#include "matting/config/ServiceFields.h"
#include "net/endpoints/Endpoints.h"
#include "workspace/core/batch/CommandLineBatch.h"

namespace quillora::batch {
namespace {

using BatchService = test::ProgramService;

// A product shot: a plain light backdrop with a dark block in the middle.
QString MakeShot(const QString& path, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(238, 238, 232));
    QPainter painter(&image);
    painter.fillRect(
        QRect(size.width() / 3, size.height() / 4, size.width() / 3, size.height() / 2),
        QColor(30, 60, 140));
    painter.end();
    return image.save(path) ? path : QString();
}

class BatchCommandLineE2E : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "batch-command-line";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() == nullptr) {
            new QCoreApplication(argc, argv);
        }
        service_ = new BatchService;
        ASSERT_TRUE(service_->Start());
    }
    static void TearDownTestSuite() { delete service_; }

    QString Run(const CutoutCommand& command, int& status) {
        auto fields = std::make_shared<matting::ServiceFields>();
        fields->setFileSizeLimit(20 << 20);
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        status = RunCutoutCommand(command, fields, {}, true, out, err);
        QByteArray text;
        std::rewind(out);
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, out)) {
            text.append(buffer, qsizetype(n));
        }
        std::fclose(out);
        std::fclose(err);
        return QString::fromUtf8(text);
    }

    static BatchService* service_;
    QTemporaryDir temp;
};
BatchService* BatchCommandLineE2E::service_ = nullptr;

TEST_F(BatchCommandLineE2E, SavesEveryPhotoWithTheBatchLookAndReportsAFailedOne) {
    const QString a = MakeShot(temp.filePath("shoe.jpg"), {600, 400});
    const QString b = MakeShot(temp.filePath("bag.png"), {300, 450});
    const QString missing = temp.filePath("gone.jpg");
    CutoutCommand command = ParseCutoutCommand(
        {QStringLiteral("--cutout"), a, missing, b, QStringLiteral("--output"),
         temp.filePath("out"), QStringLiteral("--background"), QStringLiteral("#ff0000"),
         QStringLiteral("--size"), QStringLiteral("1:1")});
    ASSERT_TRUE(command.error.isEmpty());
    int status = -1;
    const QString text = Run(command, status);
    EXPECT_EQ(status, kExitSomeFailed) << text.toStdString();
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << text.toStdString();
    // In the order given, then the summary.
    EXPECT_TRUE(lines[0].startsWith(a + QStringLiteral(": saved -> "))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(missing + QStringLiteral(": failed")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith(b + QStringLiteral(": saved -> "))) << lines[2].toStdString();
    EXPECT_EQ(lines[3], QStringLiteral("2 saved, 1 failed"));

    const QImage shoe = imaging::decodeFile(temp.filePath("out/shoe.png"));
    const QImage bag = imaging::decodeFile(temp.filePath("out/bag.png"));
    // 1 : 1, the largest square of each picture.
    EXPECT_EQ(shoe.size(), QSize(400, 400));
    EXPECT_EQ(bag.size(), QSize(300, 300));
    // The backdrop became the colour; the block stays.
    EXPECT_EQ(shoe.pixel(5, 5), 0xFFFF0000u);
    EXPECT_EQ(qAlpha(shoe.pixel(200, 200)), 255);
    EXPECT_LT(qRed(shoe.pixel(200, 200)), 120);
}

TEST_F(BatchCommandLineE2E, EverySavedPhotoExitsZeroAndTakenNamesGetAStamp) {
    const QString a = MakeShot(temp.filePath("one.png"), {200, 200});
    QDir().mkpath(temp.filePath("out"));
    QFile taken(temp.filePath("out/one.png"));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("older file");
    taken.close();
    int status = -1;
    const QString text = Run(ParseCutoutCommand({QStringLiteral("--cutout"), a,
                                                 QStringLiteral("--output"), temp.filePath("out")}),
                             status);
    EXPECT_EQ(status, kExitAllSaved) << text.toStdString();
    const QStringList files = QDir(temp.filePath("out")).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^one_\\d+\\.png$")).match(files[1]).hasMatch() ||
                QRegularExpression(QStringLiteral("^one_\\d+\\.png$")).match(files[0]).hasMatch());
    QFile older(temp.filePath("out/one.png"));
    ASSERT_TRUE(older.open(QIODevice::ReadOnly));
    EXPECT_EQ(older.readAll(), QByteArray("older file"));
}

TEST_F(BatchCommandLineE2E, ProgramRunsTheBatchWithoutAWindow) {
    const QString program = QStringLiteral(QUILLORA_BIN_DIR "/quillora");
    if (!QFile::exists(program)) {
        GTEST_SKIP() << "the program is not built in this tree";
    }
    const QString a = MakeShot(temp.filePath("cup.png"), {240, 160});
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLORA_SERVICE"), service_->Base());
    env.insert(QStringLiteral("QUILLORA_USER_DATA"), temp.filePath("user"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));  // no display: no window
    process.setProcessEnvironment(env);
    process.start(program, {QStringLiteral("--cutout"), a, temp.filePath("none.png"),
                            QStringLiteral("--output"), temp.filePath("cli"),
                            QStringLiteral("--size"), QStringLiteral("295x413")});
    ASSERT_TRUE(process.waitForFinished(60'000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_EQ(process.exitCode(), kExitSomeFailed)
        << out.toStdString() << process.readAllStandardError().toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("1 saved, 1 failed"))) << out.toStdString();
    EXPECT_EQ(imaging::decodeFile(temp.filePath("cli/cup.png")).size(), QSize(295, 413));

    QProcess help;
    help.setProcessEnvironment(env);
    help.start(program, {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(20'000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().contains("--cutout PHOTO"));
}

}  // namespace
}  // namespace quillora::batch
