#include "update/core/VersionText.h"

#include <gtest/gtest.h>

#include <string>

namespace quillora::update {
namespace {

TEST(CompareVersion, NumbersNotCharacters) {
    EXPECT_EQ(CompareVersion("1.10", "1.9"), 1);
    EXPECT_EQ(CompareVersion("1.9", "1.10"), -1);
    EXPECT_EQ(CompareVersion("2.0.0.0", "10.0"), -1);
    EXPECT_EQ(CompareVersion("1.02", "1.2"), 0);
}

TEST(CompareVersion, MissingPartsCountOnlyWhenAboveZero) {
    EXPECT_EQ(CompareVersion("1.2.0.0", "1.2"), 0);
    EXPECT_EQ(CompareVersion("1.2", "1.2.0.0"), 0);
    EXPECT_EQ(CompareVersion("1.2.0.1", "1.2.0.0"), 1);
    EXPECT_EQ(CompareVersion("1.2", "1.2.0.1"), -1);
    EXPECT_EQ(CompareVersion("1.2.0.1", "1.2"), 1);
}

TEST(CompareVersion, PartsWithoutLeadingDigitsReadAsZero) {
    EXPECT_EQ(CompareVersion("1.x", "1.0"), 0);
    EXPECT_EQ(CompareVersion("1.3beta", "1.3"), 0);
    EXPECT_EQ(CompareVersion("", "0.0"), 0);
    EXPECT_EQ(CompareVersion("", "0.1"), -1);
}

TEST(CompareVersion, LongPartsAreCutAndNeverOverflow) {
    const std::string huge(40, '9');
    // 31 nines against 31 nines followed by more: equal after the cut.
    EXPECT_EQ(CompareVersion(huge, std::string(31, '9')), 0);
    EXPECT_EQ(CompareVersion("1." + huge, "1.5"), 1);
    EXPECT_EQ(CompareVersion("18446744073709551617", "18446744073709551616"), 1);
}

TEST(GetTaggedValue, AnyOneSeparatorCharacter) {
    for (const char separator : {'=', ':', ' ', '\t', '#'}) {
        const std::string text = std::string("version") + separator + "<#2.1.0.0#>";
        EXPECT_EQ(GetTaggedValue(text, "version"), "2.1.0.0") << "separator " << separator;
    }
}

TEST(GetTaggedValue, NoSeparatorOrTwoSeparatorsYieldNothing) {
    EXPECT_EQ(GetTaggedValue("version<#2.1#>", "version"), "");
    EXPECT_EQ(GetTaggedValue("version==<#2.1#>", "version"), "");
    EXPECT_EQ(GetTaggedValue("version=<#2.1", "version"), "");
    EXPECT_EQ(GetTaggedValue("version=", "version"), "");
    EXPECT_EQ(GetTaggedValue("notes_en=<#a#>", "version"), "");
}

TEST(GetTaggedValue, FirstOccurrenceAndCaseSensitive) {
    const std::string text =
        "Version=<#9#>\r\nversion=<#1.5#>\r\nnotes_en=<#Line one\r\nLine two#>";
    EXPECT_EQ(GetTaggedValue(text, "version"), "1.5");
    EXPECT_EQ(GetTaggedValue(text, "Version"), "9");
    EXPECT_EQ(GetTaggedValue(text, "notes_en"), "Line one\r\nLine two");
    // The first occurrence decides even when it is not followed by a value.
    EXPECT_EQ(GetTaggedValue("version is\nversion=<#3#>", "version"), "");
}

TEST(VersionAfterPrefix, PrefixRequired) {
    EXPECT_EQ(VersionAfterPrefix("version=1.0.0.3\r\n").value_or("?"), "1.0.0.3");
    EXPECT_EQ(VersionAfterPrefix("\n\tversion=\t2.0\n").value_or("?"), "2.0");
    EXPECT_EQ(VersionAfterPrefix("version=").value_or("?"), "");
    EXPECT_FALSE(VersionAfterPrefix("<html>version=1.0</html>").has_value());
    EXPECT_FALSE(VersionAfterPrefix("").has_value());
    EXPECT_FALSE(VersionAfterPrefix("Version=1.0").has_value());
}

TEST(ReleaseNotes, NewerEntriesSeparatedByOneEmptyLine) {
    const auto list = ParseReleaseList(
        R"([{"version":"1.0.0.0","date":"2026-01-01","content":["First."]},
            {"version":"1.1.0.0","date":"2026-03-01","content":["Faster saving.","New filters."]},
            {"version":"1.2.0.0","date":"2026-06-01","content":["Toolbox."]}])");
    ASSERT_TRUE(list.has_value());
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ(BuildReleaseNotes(*list, "1.0.0.0"),
              "- 1.1.0.0 (2026-03-01)\r\nFaster saving.\r\nNew filters.\r\n\r\n"
              "- 1.2.0.0 (2026-06-01)\r\nToolbox.");
    EXPECT_EQ(BuildReleaseNotes(*list, "1.2"), "");
    // Unknown running version counts as 1.0.0.0.
    EXPECT_EQ(BuildReleaseNotes(*list, ""), BuildReleaseNotes(*list, "1.0.0.0"));
}

TEST(ReleaseNotes, BadListsAreRefusedOrReadSafely) {
    EXPECT_FALSE(ParseReleaseList("not json").has_value());
    EXPECT_FALSE(ParseReleaseList(R"({"version":"2.0"})").has_value());
    EXPECT_FALSE(ParseReleaseList(R"([{"version":"2.0","date":"x","content":["a")").has_value());
    EXPECT_FALSE(ParseReleaseList(std::string(kMaxReleaseListBytes + 1, ' ') + "[]").has_value());
    EXPECT_FALSE(ParseReleaseList(std::string(100000, '[')).has_value());
    // Wrong member types read as empty; non-objects are skipped.
    const auto odd = ParseReleaseList(
        R"([7, "x", {"version":2, "date":{}, "content":"one line"}, {"version":"3.0","content":[1,"b"]}])");
    ASSERT_TRUE(odd.has_value());
    ASSERT_EQ(odd->size(), 2u);
    EXPECT_EQ((*odd)[0].version, "2");
    EXPECT_EQ((*odd)[0].date, "");
    EXPECT_TRUE((*odd)[0].lines.empty());
    EXPECT_EQ(BuildReleaseNotes(*odd, "1.0"), "- 2 ()\r\n\r\n\r\n- 3.0 ()\r\n1\r\nb");
}

TEST(ConfigValue, EntriesByName) {
    const std::string config = "open=Open;get=Get ; learn = Learn more;installing=Installing…";
    EXPECT_EQ(ConfigValue(config, "open"), "Open");
    EXPECT_EQ(ConfigValue(config, "get"), "Get");
    EXPECT_EQ(ConfigValue(config, "learn"), "Learn more");
    EXPECT_EQ(ConfigValue(config, "installing"), "Installing…");
    EXPECT_EQ(ConfigValue(config, "url"), "");
    EXPECT_EQ(ConfigValue("url=http://a/b?x=1;exe=t", "url"), "http://a/b?x=1");
    EXPECT_EQ(ConfigValue("a=1;a=2", "a"), "1");
    EXPECT_EQ(ConfigValue("", "a"), "");
}

}  // namespace
}  // namespace quillora::update
