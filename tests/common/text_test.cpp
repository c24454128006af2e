#include "common/text/TimeStamp.h"
#include "common/text/Utf.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace quillora {
namespace {

TEST(Utf, ConvertsEveryEncodedLength) {
    // "a", e-acute, euro sign, and U+1F600 (a surrogate pair in UTF-16).
    const std::string utf8 = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80";
    const std::u16string utf16 = u"a\u00e9\u20ac\U0001F600";
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16);
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
    EXPECT_EQ(Utf8ToUtf16(utf8).size(), 5u);
    EXPECT_TRUE(IsValidUtf8(utf8));
}

TEST(Utf, ReplacesMalformedInput) {
    EXPECT_EQ(Utf8ToUtf16("a\xff"
                          "b"),
              u"a\uFFFDb");
    // An overlong "/" and an encoded surrogate are not UTF-8.
    EXPECT_EQ(Utf8ToUtf16("\xc0\xaf"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xed\xa0\x80").front(), u'\uFFFD');
    // A sequence cut off by the end of the text.
    EXPECT_EQ(Utf8ToUtf16("x\xe2\x82"), u"x\uFFFD\uFFFD");
    EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));
    EXPECT_FALSE(IsValidUtf8("\xf4\x90\x80\x80"));
    const std::u16string lone = {u'a', char16_t(0xD800), u'b', char16_t(0xDC00)};
    EXPECT_EQ(Utf16ToUtf8(lone),
              "a\xef\xbf\xbd"
              "b\xef\xbf\xbd");
}

TEST(Utf, MakeValidKeepsGoodTextAndMendsBadText) {
    EXPECT_EQ(MakeValidUtf8("plain \xc3\xa9"), "plain \xc3\xa9");
    EXPECT_EQ(MakeValidUtf8("a\xff"), "a\xef\xbf\xbd");
    EXPECT_EQ(MakeValidUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(TimeStamp, PrintsDecimal) {
    EXPECT_EQ(DecimalText(0), "0");
    EXPECT_EQ(DecimalText(-42), "-42");
    EXPECT_EQ(DecimalText(std::numeric_limits<std::int64_t>::max()), "9223372036854775807");
}

TEST(TimeStamp, MicrosAndMillisAgree) {
    const std::int64_t before = NowMicros();
    const std::int64_t millis = NowMillis();
    const std::string text = MicrosText();
    const std::int64_t after = NowMicros();
    // 2020-01-01 in microseconds: any clock on a working machine is past it.
    EXPECT_GT(before, 1'577'836'800'000'000LL);
    EXPECT_GE(millis, before / 1000);
    EXPECT_LE(millis, after / 1000);
    const std::int64_t parsed = std::stoll(text);
    EXPECT_EQ(text, DecimalText(parsed));
    EXPECT_GE(parsed, before);
    EXPECT_LE(parsed, after);
}

}  // namespace
}  // namespace quillora
