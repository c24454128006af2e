#include "app/core/language/ByteSize.h"

#include "tests/app/core/LanguageFixture.h"

namespace quillora {
namespace {

TEST(FormatByteSize, UnitsChangeAfterEachPowerOf1024) {
    EXPECT_EQ(FormatByteSize(0, "B"), "0B");
    EXPECT_EQ(FormatByteSize(1024, "B"), "1024B");
    EXPECT_EQ(FormatByteSize(1025, "B"), "1.00KB");
    EXPECT_EQ(FormatByteSize(1536, "B"), "1.50KB");
    EXPECT_EQ(FormatByteSize(1048576, "B"), "1024.00KB");
    EXPECT_EQ(FormatByteSize(1048577, "B"), "1.00MB");
    EXPECT_EQ(FormatByteSize(1572864, "B"), "1.50MB");
    EXPECT_EQ(FormatByteSize(20971520, "B"), "20.00MB");
    EXPECT_EQ(FormatByteSize(1073741824, "B"), "1024.00MB");
    EXPECT_EQ(FormatByteSize(1073741825, "B"), "1.00GB");
    EXPECT_EQ(FormatByteSize(5ull << 40, "B"), "5120.00GB");
}

TEST(FormatByteSize, DividesInSinglePrecision) {
    // 16792945 is not a float; it rounds to 16792944, and 16792944 / 2^20 =
    // 16.0149994, which prints as 16.01. In double precision the quotient is
    // 16.0150003 and would print as 16.02.
    EXPECT_EQ(FormatByteSize(16792945, "B"), "16.01MB");
}

class ByteSizeLanguageTest : public test::LanguageFixture {};

TEST_F(ByteSizeLanguageTest, SmallCountsUseTheLanguagesByteText) {
    writeLanguage({{"UI", {{"Byte", QStringLiteral("字节")}}}});
    EXPECT_EQ(FormatByteSize(1024), QStringLiteral("1024字节"));
    EXPECT_EQ(FormatByteSize(1025), "1.00KB");
}

}  // namespace
}  // namespace quillora
