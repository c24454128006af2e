#include "tools/langpack/KeyList.h"
#include "tools/langpack/Packer.h"

#include "app/core/language/LangLookup.h"
#include "app/core/language/LangStream.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillora::langpack {
namespace {

std::vector<ListedKey> Keys() {
    std::vector<ListedKey> keys;
    QStringList errors;
    EXPECT_TRUE(
        ParseKeyList("# list\nUI Count d\n\nUI Name -\nMessage Result d,d\n", keys, errors));
    return keys;
}

LangSource Source(const QByteArray& text) {
    LangSource source;
    QStringList errors;
    EXPECT_TRUE(ParseLangSource(text, source, errors)) << errors.join('\n').toStdString();
    return source;
}

TEST(KeyList, ParsesSignatures) {
    const auto keys = Keys();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].signature, "d");
    EXPECT_EQ(keys[1].signature, "");
    EXPECT_EQ(keys[2].section, "Message");
    EXPECT_EQ(keys[2].signature, "d,d");

    std::vector<ListedKey> bad;
    QStringList errors;
    EXPECT_FALSE(ParseKeyList("UI OnlyTwo\n", bad, errors));
}

TEST(KeyList, AcceptsAMatchingSource) {
    QStringList errors;
    EXPECT_TRUE(CheckAgainstKeyList(
        Source("[UI]\nCount=%d files\nName=Quillora\n[Message]\nResult=%d saved, %d failed\n"),
        Keys(), errors))
        << errors.join('\n').toStdString();
}

TEST(KeyList, FindsMissingExtraAndMismatchedKeys) {
    QStringList errors;
    EXPECT_FALSE(CheckAgainstKeyList(
        Source("[UI]\nCount=%s files\nExtra=1\n[Message]\nResult=%d saved, %n failed\n"
               "[Other]\nX=1\n"),
        Keys(), errors));
    const QString all = errors.join('\n');
    EXPECT_TRUE(all.contains("[UI] Count has conversions \"s\"")) << all.toStdString();
    EXPECT_TRUE(all.contains("[UI] Name is missing")) << all.toStdString();
    EXPECT_TRUE(all.contains("[Message] Result holds a conversion")) << all.toStdString();
    EXPECT_TRUE(all.contains("[UI] Extra is not in the key list")) << all.toStdString();
    EXPECT_TRUE(all.contains("[Other] X is not in the key list")) << all.toStdString();
    EXPECT_EQ(errors.size(), 5);
}

TEST(Packer, WritesWhatTheLookupReads) {
    QTemporaryDir dir;
    const QString path = dir.filePath("xx.dat");
    QString error;
    ASSERT_TRUE(
        PackLanguage(Source("[UI]\nName=Quillora\nMulti=a\\nb\n[Message]\nTitle=T\n"), path, error))
        << error.toStdString();
    QString out;
    EXPECT_TRUE(GetLangString(u"UI", u"Multi", {}, out, 260, path));
    EXPECT_EQ(out, "a\nb");
    EXPECT_TRUE(GetLangString(u"Message", u"Title", {}, out, 260, path));
    EXPECT_EQ(out, "T");
}

TEST(Packer, RefusesASectionTheProgramWouldNotRead) {
    QTemporaryDir dir;
    const QString path = dir.filePath("big.dat");
    // "Big=" + value + NUL + NUL: 4 + n + 2 units, 2 bytes each.
    const qsizetype valueUnits = lang::kMaxSectionBytes / 2 - 6;
    LangSource source;
    source.sections.push_back({"UI", {{"Big", QString(valueUnits, u'x')}}});
    QString error;
    EXPECT_FALSE(PackLanguage(source, path, error));
    EXPECT_TRUE(error.contains("131072")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(path));

    source.sections[0].entries[0].second.chop(1);
    EXPECT_TRUE(PackLanguage(source, path, error)) << error.toStdString();
}

}  // namespace
}  // namespace quillora::langpack
