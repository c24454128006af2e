#include "app/core/language/LangFormat.h"
#include "app/core/language/LangKeys.h"

#include "tests/app/core/LanguageFixture.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace quillora {
namespace {

std::optional<QString> Signature(const char* format) {
    return PrintfSignature(QString::fromUtf8(format));
}

TEST(PrintfSignature, ListsConversionKindsInOrder) {
    EXPECT_EQ(Signature("no arguments"), QString(""));
    EXPECT_EQ(Signature("100%% sure"), QString(""));
    EXPECT_EQ(Signature("%d files"), QString("d"));
    EXPECT_EQ(Signature("%d saved, %i failed"), QString("d,d"));
    EXPECT_EQ(Signature("code %x at %p"), QString("u,p"));
    EXPECT_EQ(Signature("at most %s."), QString("s"));
    EXPECT_EQ(Signature("%-08.3lld|%5.2f|%#o|%llu|%hhd"), QString("d,f,u,u,d"));
    EXPECT_EQ(Signature("%%%d%%"), QString("d"));
}

TEST(PrintfSignature, RefusesConversionsNoTextMayCarry) {
    for (const char* format :
         {"%n", "%5n", "%c", "%*d", "%.*f", "%1$d", "%2$s %1$s", "%", "ends with %", "%l", "%y",
          "%513d", "%.513f", "%99999999999d", "%C", "%S"}) {
        EXPECT_FALSE(Signature(format)) << format;
    }
    EXPECT_TRUE(Signature("%512d"));
    // Length modifiers do not change the kind; the formatter ignores them.
    EXPECT_EQ(Signature("%ls|%lu|%Lf"), QString("s,u,f"));
}

TEST(FormatLangPattern, MatchesPrintf) {
    char expected[128];
    std::snprintf(expected, sizeof expected, "%d files in total", 48);
    EXPECT_EQ(FormatLangPattern(u"%d files in total", {48LL}), QString(expected));
    std::snprintf(expected, sizeof expected, "saved %d, failed %d (%5.1f%%)", 7, -2, 77.75);
    EXPECT_EQ(FormatLangPattern(u"saved %d, failed %d (%5.1f%%)", {7LL, -2LL, 77.75}),
              QString(expected));
    std::snprintf(expected, sizeof expected, "[%08X|%-4u|%#x]", 0xC0000005u, 3u, 255u);
    EXPECT_EQ(FormatLangPattern(u"[%08X|%-4u|%#x]", {0xC0000005LL, 3LL, 255LL}), QString(expected));
    int marker = 0;
    std::snprintf(expected, sizeof expected, "code %d at %p", 11, static_cast<void*>(&marker));
    EXPECT_EQ(FormatLangPattern(u"code %d at %p", {11LL, static_cast<const void*>(&marker)}),
              QString(expected));
}

TEST(FormatLangPattern, TextsKeepTheirCharactersAndWidths) {
    EXPECT_EQ(FormatLangPattern(u"写真は %s 以下", {QStringLiteral("20.00MB")}),
              QStringLiteral("写真は 20.00MB 以下"));
    EXPECT_EQ(FormatLangPattern(u"[%6s][%-6s][%.2s]", {QStringLiteral("été"), QStringLiteral("été"),
                                                       QStringLiteral("été")}),
              QStringLiteral("[   été][été   ][ét]"));
}

TEST(FormatLangPattern, IntegersAreNeverCut) {
    EXPECT_EQ(FormatLangPattern(u"%d", {5000000000LL}), QString("5000000000"));
    EXPECT_EQ(FormatLangPattern(u"%hd", {70000LL}), QString("70000"));
}

TEST(FormatLangPattern, MismatchedTranslationsComeBackUnformatted) {
    EXPECT_EQ(FormatLangPattern(u"%s files", {3LL}), QString("%s files"));
    EXPECT_EQ(FormatLangPattern(u"%d and %d", {3LL}), QString("%d and %d"));
    EXPECT_EQ(FormatLangPattern(u"%d", {3LL, 4LL}), QString("%d"));
    EXPECT_EQ(FormatLangPattern(u"%n%d", {3LL}), QString("%n%d"));
    EXPECT_EQ(FormatLangPattern(u"%f", {3LL}), QString("%f"));
    EXPECT_EQ(FormatLangPattern(u"%p", {QStringLiteral("x")}), QString("%p"));
    EXPECT_EQ(FormatLangPattern(u"plain", {}), QString("plain"));
    EXPECT_EQ(FormatLangPattern(u"50%%", {}), QString("50%"));
}

TEST(FormatLangPattern, TakesArgumentsOfTheUsualTypes) {
    const std::size_t count = 3;
    const unsigned short small = 7;
    const char* utf8 = "20.00MB";
    int marker = 0;
    EXPECT_EQ(FormatLangPattern(u"%d|%u|%d", {48, count, small}), QString("48|3|7"));
    EXPECT_EQ(FormatLangPattern(u"%s", {utf8}), QString("20.00MB"));
    EXPECT_EQ(FormatLangPattern(u"%s", {"été"}), QStringLiteral("été"));
    EXPECT_EQ(FormatLangPattern(u"%.1f", {2.25f}), QString("2.2"));
    EXPECT_NE(FormatLangPattern(u"%p", {&marker}), QString("%p"));
    // A text never passes for an address, nor an address for a text.
    EXPECT_EQ(FormatLangPattern(u"%p", {utf8}), QString("%p"));
    EXPECT_EQ(FormatLangPattern(u"%s", {&marker}), QString("%s"));
}

class FormatLangTextTest : public test::LanguageFixture {};

TEST_F(FormatLangTextTest, FormatsTheTextOfAKey) {
    writeLanguage({{"UI", {{"BatchFileTotal", "%d files in total"}}},
                   {"Message", {{"BatchSaveFileResult", "%d saved, %s failed"}}}});
    EXPECT_EQ(FormatLangText(langkey::ui::kBatchFileTotal, {12}), "12 files in total");
    // A translation with the wrong conversions shows as it is.
    EXPECT_EQ(FormatLangText(langkey::message::kBatchSaveFileResult, {3, 1}),
              "%d saved, %s failed");
    EXPECT_EQ(FormatLangText(langkey::ui::kExceptInfo, {11, static_cast<const void*>(nullptr)}),
              QString());
}

}  // namespace
}  // namespace quillora
