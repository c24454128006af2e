#include "app/core/language/LangStream.h"

#include <gtest/gtest.h>

namespace quillora::lang {
namespace {

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (const int v : values) {
        bytes.append(static_cast<char>(v));
    }
    return bytes;
}

// Expected values worked out by hand: 0x41 ^ 0x19 = 0x58, 0x00 ^ 0x6B = 0x6B,
// 0x42 ^ 0x19 = 0x5B, 0x43 ^ 0x19 = 0x5A.
TEST(Scramble, FourByteStreamStaysPlain) {
    QByteArray bytes = Bytes({0x41, 0x00, 0x42, 0x00});
    ScrambleStream(bytes);
    EXPECT_EQ(bytes, Bytes({0x41, 0x00, 0x42, 0x00}));
}

TEST(Scramble, EightByteStreamChangesOnlyItsFirstWord) {
    QByteArray bytes = Bytes({0x41, 0x00, 0x42, 0x00, 0x43, 0x00, 0x00, 0x00});
    ScrambleStream(bytes);
    EXPECT_EQ(bytes, Bytes({0x58, 0x6B, 0x42, 0x00, 0x43, 0x00, 0x00, 0x00}));
}

TEST(Scramble, NineByteStreamChangesTwoWords) {
    QByteArray bytes = Bytes({0x41, 0x00, 0x42, 0x00, 0x43, 0x00, 0x00, 0x00, 0x41});
    ScrambleStream(bytes);
    EXPECT_EQ(bytes, Bytes({0x58, 0x6B, 0x42, 0x00, 0x5A, 0x6B, 0x00, 0x00, 0x41}));
}

TEST(Scramble, TwelveAndThirteenBytes) {
    QByteArray twelve(12, '\0');
    ScrambleStream(twelve);
    EXPECT_EQ(twelve, Bytes({0x19, 0x6B, 0, 0, 0x19, 0x6B, 0, 0, 0, 0, 0, 0}));
    QByteArray thirteen(13, '\0');
    ScrambleStream(thirteen);
    EXPECT_EQ(thirteen, Bytes({0x19, 0x6B, 0, 0, 0x19, 0x6B, 0, 0, 0x19, 0x6B, 0, 0, 0}));
    ScrambleStream(thirteen);
    EXPECT_EQ(thirteen, QByteArray(13, '\0'));
}

TEST(EncodeSection, StoresEntriesNulSeparatedAndScrambled) {
    // "A=B" NUL NUL is 10 bytes; words 0 and 1 change, word 2 (bytes 8-11)
    // would end at 12, which is not below 10.
    EXPECT_EQ(EncodeSection({{"A", "B"}}),
              Bytes({0x58, 0x6B, 0x3D, 0x00, 0x5B, 0x6B, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(EncodeSection({}), Bytes({0x00, 0x00}));
}

TEST(DecodeSectionText, UndoesTheScramblingAndDropsAnOddByte) {
    EXPECT_EQ(DecodeSectionText(EncodeSection({{"Key", "Value"}, {"K2", "V=2"}})),
              QString::fromUtf16(u"Key=Value\0K2=V=2\0\0", 18));
    QByteArray odd = EncodeSection({{"A", "B"}});
    odd.append('\x7F');
    const QString text = DecodeSectionText(odd);
    EXPECT_EQ(text.size(), 5);
    EXPECT_EQ(FindEntry(text, u"A"), QString("B"));
}

TEST(FindEntry, MatchesWholeKeysExactly) {
    const QString text = QString::fromUtf16(
        u"Title=Quillora\0NoEquals\0Url=a=b=c\0title=lower\0=empty key\0\0After=lost\0", 69);
    EXPECT_EQ(FindEntry(text, u"Title"), QString("Quillora"));
    EXPECT_EQ(FindEntry(text, u"Url"), QString("a=b=c"));
    EXPECT_EQ(FindEntry(text, u"title"), QString("lower"));
    EXPECT_FALSE(FindEntry(text, u"TITLE"));
    EXPECT_FALSE(FindEntry(text, u"Titl"));
    EXPECT_FALSE(FindEntry(text, u"NoEquals"));
    // The empty entry ends the list.
    EXPECT_FALSE(FindEntry(text, u"After"));
    // Without a terminator the text's end ends the last entry.
    EXPECT_EQ(FindEntry(QStringView(u"A=1\0B=2", 7), u"B"), QString("2"));
    EXPECT_FALSE(FindEntry(u"", u"A"));
    EXPECT_EQ(FindEntry(text, u""), QString("empty key"));
}

TEST(ParseEntries, ListsEntriesWithEqualsInOrder) {
    const auto entries = ParseEntries(QString::fromUtf16(u"b=2\0skip\0a=1=1\0\0c=3", 19));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (std::pair<QString, QString>("b", "2")));
    EXPECT_EQ(entries[1], (std::pair<QString, QString>("a", "1=1")));
}

}  // namespace
}  // namespace quillora::lang
