#include "app/core/language/LangLookup.h"

#include "tests/app/core/LanguageFixture.h"

#include <QFile>

namespace quillora {
namespace {

using test::LanguageFixture;
using test::WriteBytes;

class LangLookupTest : public LanguageFixture {};

TEST_F(LangLookupTest, FindsValuesAndFallsBackToTheDefault) {
    writeLanguage({{"UI", {{"ProductName", "Quillora"}, {"Url", "a=b=c"}}},
                   {"Message", {{"Title", "Quillora"}, {"ApiClose", "Closed"}}}});
    QString out;
    EXPECT_TRUE(GetLangString(u"UI", u"Url", "dflt", out, 260, languagePath()));
    EXPECT_EQ(out, "a=b=c");
    EXPECT_TRUE(GetLangString(u"Message", u"ApiClose", "dflt", out, 260, languagePath()));
    EXPECT_EQ(out, "Closed");
    // Keys and section names are compared with their letter case.
    EXPECT_FALSE(GetLangString(u"UI", u"productname", "dflt", out, 260, languagePath()));
    EXPECT_EQ(out, "dflt");
    EXPECT_FALSE(GetLangString(u"ui", u"ProductName", "dflt", out, 260, languagePath()));
    EXPECT_FALSE(GetLangString(u"UI", u"ApiClose", "dflt", out, 260, languagePath()));
    EXPECT_FALSE(GetLangString(u"Missing", u"Title", "dflt", out, 260, languagePath()));
    EXPECT_EQ(out, "dflt");
}

TEST_F(LangLookupTest, TextsAreCutToTheBuffer) {
    writeLanguage({{"UI", {{"Long", QString(300, u'x')}}}});
    EXPECT_EQ(LangText(u"Long"), QString(259, u'x'));
    QString out;
    EXPECT_TRUE(GetLangString(u"UI", u"Long", {}, out, 16, languagePath()));
    EXPECT_EQ(out, QString(15, u'x'));
    EXPECT_FALSE(GetLangString(u"UI", u"None", QString(40, u'd'), out, 16, languagePath()));
    EXPECT_EQ(out, QString(15, u'd'));
}

TEST_F(LangLookupTest, LangTextUsesTheCurrentLanguagesFile) {
    writeLanguage({{"UI", {{"ProductName", "English"}}}}, "en.dat");
    writeLanguage({{"UI", {{"ProductName", "Japanese"}}}}, "jp.dat");
    SetCurrentLanguageId(932);
    EXPECT_EQ(LangText(u"ProductName"), "Japanese");
    SetCurrentLanguageId(kEnglishLanguageId);
    EXPECT_EQ(LangText(u"ProductName"), "English");
    // An id outside the table reads English.
    SetCurrentLanguageId(12345);
    EXPECT_EQ(LangText(u"ProductName"), "English");
    // A language without its file gives empty texts.
    SetCurrentLanguageId(866);
    EXPECT_EQ(LangText(u"ProductName"), QString());
}

TEST_F(LangLookupTest, Base64KeysAreDecodedBeforeTheLookup) {
    writeLanguage({{"UI", {{"ApiKey", "qlr-test"}}}, {"Message", {{"HasUpdate", "Install?"}}}});
    EXPECT_EQ(LangTextB64("QXBpS2V5"), "qlr-test");
    EXPECT_EQ(LangTextB64("SGFzVXBkYXRl", u"Message"), "Install?");
    EXPECT_EQ(LangText(langkey::ui::kApiKey), "qlr-test");
    EXPECT_EQ(LangText(langkey::message::kHasUpdate), "Install?");
    EXPECT_EQ(LangTextB64("not base64!"), QString());
    EXPECT_EQ(LangTextB64("QXBpS2V5", u"Message"), QString());
    EXPECT_EQ(DecodeLangKey("SGFzVXBkYXRl"), QString("HasUpdate"));
    EXPECT_FALSE(DecodeLangKey("SGFzVXBkYXRl=="));
}

TEST_F(LangLookupTest, AChangedFileIsReadAgain) {
    writeLanguage({{"UI", {{"Close", "Close"}}}});
    EXPECT_EQ(LangText(u"Close"), "Close");
    writeLanguage({{"UI", {{"Close", "Schließen"}}}});
    EXPECT_EQ(LangText(u"Close"), QStringLiteral("Schließen"));
    ASSERT_TRUE(QFile::remove(languagePath()));
    EXPECT_EQ(LangText(u"Close"), QString());
}

TEST_F(LangLookupTest, BadFilesGiveTheDefault) {
    QString out;
    const auto lookup = [&] {
        return GetLangString(u"UI", u"A", "dflt", out, 260, languagePath());
    };
    EXPECT_FALSE(lookup());  // missing file
    EXPECT_EQ(out, "dflt");

    ASSERT_TRUE(WriteBytes(languagePath(), QByteArray()));
    EXPECT_FALSE(lookup());
    ASSERT_TRUE(WriteBytes(languagePath(), "[UI]\nA=1\n"));
    EXPECT_FALSE(lookup());
    ASSERT_TRUE(WriteBytes(languagePath(), QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)));
    EXPECT_FALSE(lookup());
    EXPECT_EQ(out, "dflt");

    // A compound file whose stream is empty.
    writeRawStream("UI", QByteArray());
    EXPECT_FALSE(lookup());
    // A stream that is not text of entries.
    writeRawStream("UI", QByteArray(1000, '\xFF'));
    EXPECT_FALSE(lookup());
    EXPECT_EQ(out, "dflt");
}

TEST_F(LangLookupTest, StreamsOfTheLimitSizeAreRefused) {
    // Fill the section with padding entries so that the wanted key sits at
    // the very end of a stream of the given size.
    const auto streamOfSize = [](qsizetype bytes) {
        const QString tail = QStringLiteral("A=found");
        // tail + NUL + final NUL, plus padding "P=..." + NUL.
        const qsizetype fixedUnits = tail.size() + 2 + 3;
        const qsizetype padUnits = bytes / 2 - fixedUnits;
        return lang::EncodeSection({{"P", QString(padUnits, u'p')}, {"A", "found"}});
    };
    QString out;
    const QByteArray below = streamOfSize(lang::kMaxSectionBytes - 2);
    ASSERT_EQ(below.size(), lang::kMaxSectionBytes - 2);
    writeRawStream("UI", below);
    EXPECT_TRUE(GetLangString(u"UI", u"A", "dflt", out, 260, languagePath()));
    EXPECT_EQ(out, "found");

    const QByteArray atLimit = streamOfSize(lang::kMaxSectionBytes);
    ASSERT_EQ(atLimit.size(), lang::kMaxSectionBytes);
    writeRawStream("UI", atLimit);
    EXPECT_FALSE(GetLangString(u"UI", u"A", "dflt", out, 260, languagePath()));
    EXPECT_EQ(out, "dflt");
}

TEST_F(LangLookupTest, OddAndTinyStreams) {
    QByteArray odd = lang::EncodeSection({{"A", "1"}});
    odd.append('\x41');
    writeRawStream("UI", odd);
    QString out;
    EXPECT_TRUE(GetLangString(u"UI", u"A", {}, out, 260, languagePath()));
    EXPECT_EQ(out, "1");

    // Three bytes hold one unit and a half: "A" and nothing else.
    writeRawStream("UI", QByteArray("A\0=", 3));
    EXPECT_FALSE(GetLangString(u"UI", u"A", "dflt", out, 260, languagePath()));
    // Four bytes are stored plain: "=" "x" is an entry with an empty key.
    writeRawStream("UI", QByteArray("=\0x\0", 4));
    EXPECT_TRUE(GetLangString(u"UI", u"", {}, out, 260, languagePath()));
    EXPECT_EQ(out, "x");
}

}  // namespace
}  // namespace quillora
