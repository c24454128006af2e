#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "canvas/layout/SizePresets.h"
#include "workspace/core/batch/CommandLineBatch.h"

namespace quillora::batch {
namespace {

QStringList Args(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* a : list) {
        out.append(QString::fromUtf8(a));
    }
    return out;
}

TEST(BatchCommandLine, ReadsPhotosOutputKindColourAndSize) {
    const CutoutCommand c =
        ParseCutoutCommand(Args({"--cutout", "a.jpg", "b c.png", "--output", "out", "--kind",
                                 "person", "--background", "#336699", "--size", "3:2"}));
    EXPECT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    EXPECT_EQ(c.photos, Args({"a.jpg", "b c.png"}));
    EXPECT_EQ(c.output, QStringLiteral("out"));
    EXPECT_TRUE(c.person);
    EXPECT_EQ(c.background, canvas::BackgroundKind::Colour);
    EXPECT_EQ(c.colour, 0xFF336699u);
    EXPECT_EQ(c.sizePreset, 4);
    // Photos may also follow the other options once --cutout has started them.
    const CutoutCommand late =
        ParseCutoutCommand(Args({"--output", "o", "--cutout", "x.png", "y.png"}));
    EXPECT_EQ(late.photos, Args({"x.png", "y.png"}));
    EXPECT_FALSE(late.person);
    EXPECT_EQ(late.sizePreset, -1);
    EXPECT_EQ(late.background, canvas::BackgroundKind::None);
}

TEST(BatchCommandLine, BackgroundNamingAFileIsAPicture) {
    QTemporaryDir dir;
    const QString file = dir.filePath("white");  // a file, though also a colour name
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const CutoutCommand picture = ParseCutoutCommand(
        {QStringLiteral("--cutout"), QStringLiteral("a.png"), QStringLiteral("--output"),
         QStringLiteral("o"), QStringLiteral("--background"), file});
    EXPECT_EQ(picture.background, canvas::BackgroundKind::Picture);
    EXPECT_EQ(picture.picturePath, file);
    const CutoutCommand named =
        ParseCutoutCommand(Args({"--cutout", "a.png", "--output", "o", "--background", "white"}));
    EXPECT_EQ(named.background, canvas::BackgroundKind::Colour);
    EXPECT_EQ(named.colour, 0xFFFFFFFFu);
}

TEST(BatchCommandLine, WrongCommandLinesSayWhy) {
    const auto error = [](std::initializer_list<const char*> list) {
        return ParseCutoutCommand(Args(list)).error;
    };
    EXPECT_FALSE(error({"--cutout", "--output", "o"}).isEmpty());      // no photo
    EXPECT_FALSE(error({"--cutout", "a.png"}).isEmpty());              // no folder
    EXPECT_FALSE(error({"--cutout", "a.png", "--output"}).isEmpty());  // no value
    EXPECT_FALSE(error({"--cutout", "a", "--output", "o", "--kind", "cat"}).isEmpty());
    EXPECT_FALSE(error({"--cutout", "a", "--output", "o", "--size", "5:7"}).isEmpty());
    EXPECT_FALSE(error({"--cutout", "a", "--output", "o", "--background", "#12"}).isEmpty());
    EXPECT_FALSE(error({"--cutout", "a", "--output", "o", "--fast"}).isEmpty());
    EXPECT_FALSE(error({"--cutout", "a", "--output", "o", "stray"}).isEmpty());
    EXPECT_TRUE(ParseCutoutCommand(Args({"--cutout", "--help"})).help);
}

TEST(BatchCommandLine, SizesByNumberRatioOrPixels) {
    EXPECT_EQ(ParseSizePreset(QStringLiteral("13")), 13);
    EXPECT_EQ(ParseSizePreset(QStringLiteral("18")), -1);
    EXPECT_EQ(ParseSizePreset(QStringLiteral("-1")), -1);
    EXPECT_EQ(ParseSizePreset(QStringLiteral("1:1")), 2);
    EXPECT_EQ(ParseSizePreset(QStringLiteral("16:9")), 8);
    EXPECT_EQ(ParseSizePreset(QStringLiteral("413x579")), 13);
    EXPECT_EQ(ParseSizePreset(QStringLiteral("1051X1500")), 17);
    EXPECT_EQ(ParseSizePreset(QStringLiteral("260:378")), -1);  // a size is given in pixels
    EXPECT_EQ(ParseSizePreset(QStringLiteral("3x2")), -1);
    // Every identity size and every ratio of the table can be named.
    for (int p = 0; p < canvas::kSizePresetCount; ++p) {
        const canvas::SizePreset& s = canvas::kSizePresets[std::size_t(p)];
        if (s.HasFixedOutput()) {
            EXPECT_EQ(
                ParseSizePreset(QStringLiteral("%1x%2").arg(s.outputWidth).arg(s.outputHeight)), p);
        } else if (s.ratioWidth > 0) {
            EXPECT_EQ(ParseSizePreset(QStringLiteral("%1:%2").arg(s.ratioWidth).arg(s.ratioHeight)),
                      p);
        }
    }
}

}  // namespace
}  // namespace quillora::batch
