#include "platform/ini/ProfileInt.h"

#include <gtest/gtest.h>

namespace quillora::platform {
namespace {

TEST(ProfileInt, ReadsTheLeadingNumberLikeTheProfileCall) {
    EXPECT_EQ(ProfileInt(u"12abc"), 12);
    EXPECT_EQ(ProfileInt(u" 7"), 7);
    EXPECT_EQ(ProfileInt(u"\t9"), 9);
    EXPECT_EQ(ProfileInt(u"-3"), -3);
    EXPECT_EQ(ProfileInt(u"+5"), 5);
    EXPECT_EQ(ProfileInt(u"abc"), 0);
    EXPECT_EQ(ProfileInt(u"-"), 0);
    EXPECT_EQ(ProfileInt(u"1 2"), 1);
}

TEST(ProfileInt, PrefixesChooseTheBase) {
    EXPECT_EQ(ProfileInt(u"0x10"), 16);
    EXPECT_EQ(ProfileInt(u"0xfF"), 255);
    EXPECT_EQ(ProfileInt(u"-0x10"), -16);
    EXPECT_EQ(ProfileInt(u"0o17"), 15);
    EXPECT_EQ(ProfileInt(u"0b101"), 5);
    // Only lower-case markers count; "0X10" is a zero followed by letters.
    EXPECT_EQ(ProfileInt(u"0X10"), 0);
    // Digits beyond the base end the number.
    EXPECT_EQ(ProfileInt(u"0b102"), 2);
    EXPECT_EQ(ProfileInt(u"0x"), 0);
    EXPECT_EQ(ProfileInt(u"010"), 10);
}

TEST(ProfileInt, WrapsAtThirtyTwoBits) {
    EXPECT_EQ(ProfileInt(u"2147483647"), 2147483647);
    EXPECT_EQ(ProfileInt(u"2147483648"), -2147483647 - 1);
    EXPECT_EQ(ProfileInt(u"4294967295"), -1);
    EXPECT_EQ(ProfileInt(u"4294967296"), 0);
    EXPECT_EQ(ProfileInt(u"4294967303"), 7);
    EXPECT_EQ(ProfileInt(u"0xFFFFFFFF"), -1);
}

}  // namespace
}  // namespace quillora::platform
