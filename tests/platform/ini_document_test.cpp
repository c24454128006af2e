#include "platform/ini/IniDocument.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

namespace quillora::platform {
namespace {

std::optional<QString> Value(const QByteArray& text, QStringView section, QStringView key) {
    return IniDocument::parse(text).value(section, key);
}

TEST(IniDocumentLookup, NamesIgnoreCaseAndBlanksValuesLoseBlanksAndQuotes) {
    const QByteArray text =
        "[Setting]\n"
        "  SendAction =  0  \n"
        "Title=\"  spaced  \"\n"
        "Single='x'\n"
        "Mixed=\"x'\n"
        "Url=http://host/a?b=c\n"
        "[ Other Section ]\n"
        "Key=1\n";
    EXPECT_EQ(Value(text, u"setting", u"SENDACTION"), QString("0"));
    EXPECT_EQ(Value(text, u" Setting ", u" sendaction"), QString("0"));
    EXPECT_EQ(Value(text, u"Setting", u"Title"), QString("  spaced  "));
    EXPECT_EQ(Value(text, u"Setting", u"Single"), QString("x"));
    EXPECT_EQ(Value(text, u"Setting", u"Mixed"), QString("\"x'"));
    EXPECT_EQ(Value(text, u"Setting", u"Url"), QString("http://host/a?b=c"));
    EXPECT_EQ(Value(text, u"other section", u"key"), QString("1"));
    EXPECT_FALSE(Value(text, u"Setting", u"Key"));
    EXPECT_FALSE(Value(text, u"Missing", u"Key"));
}

TEST(IniDocumentLookup, FirstSectionAndFirstKeyWin) {
    const QByteArray text =
        "[A]\nk=1\nk=2\n"
        "[B]\nk=3\n"
        "[a]\nk=4\nonly=5\n";
    EXPECT_EQ(Value(text, u"A", u"k"), QString("1"));
    // Like the profile call, a key that lives only in a later duplicate
    // section is not found.
    EXPECT_FALSE(Value(text, u"A", u"only"));
}

TEST(IniDocumentLookup, LinesOutsideTheRulesNeverMatch) {
    const QByteArray text =
        "orphan=1\n"
        "[Setting]\n"
        "NoEquals\n"
        ";Commented=1\n"
        "=novalue\n"
        "Good=2\n"
        "[Broken\n"
        "Lost=3\n"
        "[Next]\n"
        "Found=4\n";
    EXPECT_FALSE(Value(text, u"", u"orphan"));
    EXPECT_FALSE(Value(text, u"Setting", u"NoEquals"));
    EXPECT_FALSE(Value(text, u"Setting", u";Commented"));
    EXPECT_FALSE(Value(text, u"Setting", u"Commented"));
    EXPECT_EQ(Value(text, u"Setting", u"Good"), QString("2"));
    // The lines after a header that never closes belong to no section.
    EXPECT_FALSE(Value(text, u"Setting", u"Lost"));
    EXPECT_FALSE(Value(text, u"Broken", u"Lost"));
    EXPECT_EQ(Value(text, u"Next", u"Found"), QString("4"));
}

TEST(IniDocumentLookup, ReadsEveryLineEndAndEncoding) {
    EXPECT_EQ(Value("[S]\r\nA=1\r\nB=2\r\n", u"S", u"B"), QString("2"));
    EXPECT_EQ(Value("[S]\rA=1\rB=2", u"S", u"B"), QString("2"));
    EXPECT_EQ(Value("\xEF\xBB\xBF[S]\nA=\xC3\xA9t\xC3\xA9\n", u"s", u"a"), QStringLiteral("été"));

    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray wide = utf16(QStringLiteral("[UI]\r\nProductName=Quillora 写真\r\n"));
    ASSERT_TRUE(wide.startsWith("\xFF\xFE"));
    EXPECT_EQ(Value(wide, u"ui", u"productname"), QStringLiteral("Quillora 写真"));
    EXPECT_EQ(IniDocument::parse(wide).encoding(), IniDocument::Encoding::Utf16LeBom);
}

TEST(IniDocumentEdit, ChangesOnlyTheLineItTouches) {
    const QByteArray text =
        "; kept comment\n"
        "[Setting]\n"
        "SENDACTION = 1\n"
        "Odd line\n"
        "\n"
        "[Other]\n"
        "X=1\n";
    IniDocument doc = IniDocument::parse(text);
    ASSERT_TRUE(doc.setValue(u"setting", u"SendAction", u"0"));
    ASSERT_TRUE(doc.setValue(u"Setting", u"Timestamp", u"5"));
    ASSERT_TRUE(doc.setValue(u"New", u"Key", u"v"));
    EXPECT_EQ(doc.serialize(),
              "; kept comment\n"
              "[Setting]\n"
              "SENDACTION=0\n"
              "Odd line\n"
              "Timestamp=5\n"
              "\n"
              "[Other]\n"
              "X=1\n"
              "[New]\n"
              "Key=v\n");
}

TEST(IniDocumentEdit, KeepsEncodingAndLineEnds) {
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray original = utf16(QStringLiteral("[A]\r\nk=1\r\n"));
    IniDocument doc = IniDocument::parse(original);
    ASSERT_TRUE(doc.setValue(u"A", u"k", u"\u00e9"));
    QStringEncoder again(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray expected = again(QStringLiteral("[A]\r\nk=\u00e9\r\n"));
    EXPECT_EQ(doc.serialize(), expected);
}

TEST(IniDocumentEdit, RefusesWhatWouldBreakTheLines) {
    IniDocument doc = IniDocument::parse("[A]\nk=1\n");
    EXPECT_FALSE(doc.setValue(u"A", u"k", u"1\n[Injected]\nk=2"));
    EXPECT_FALSE(doc.setValue(u"A", u"k", u"a\rb"));
    EXPECT_FALSE(doc.setValue(u"A", QStringView(u"k\0x", 3), u"v"));
    EXPECT_FALSE(doc.setValue(u"A", u"a=b", u"v"));
    EXPECT_FALSE(doc.setValue(u"A", u"[x", u"v"));
    EXPECT_FALSE(doc.setValue(u"A", u";x", u"v"));
    EXPECT_FALSE(doc.setValue(u"A]", u"k", u"v"));
    EXPECT_FALSE(doc.setValue(u"", u"k", u"v"));
    EXPECT_FALSE(doc.setValue(u"A", u"  ", u"v"));
    EXPECT_EQ(doc.serialize(), "[A]\nk=1\n");
    EXPECT_FALSE(doc.sections().contains("Injected"));
}

TEST(IniDocumentEdit, RemoveTakesEveryCopyOfTheKeyInTheSection) {
    IniDocument doc = IniDocument::parse("[A]\nk=1\nK=2\nother=3\n[B]\nk=4\n");
    EXPECT_TRUE(doc.remove(u"a", u"k"));
    EXPECT_FALSE(doc.value(u"A", u"k"));
    EXPECT_EQ(doc.value(u"B", u"k"), QString("4"));
    EXPECT_FALSE(doc.remove(u"A", u"k"));
    EXPECT_FALSE(doc.remove(u"Missing", u"k"));
    EXPECT_EQ(doc.keys(u"A"), QStringList{"other"});
}

}  // namespace
}  // namespace quillora::platform
