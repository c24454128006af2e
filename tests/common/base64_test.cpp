#include "common/codec/Base64.h"

#include <gtest/gtest.h>

#include <random>

namespace quillora::codec {
namespace {

TEST(Base64, EncodesRfc4648Vectors) {
    EXPECT_EQ(Base64Encode(""), "");
    EXPECT_EQ(Base64Encode("f"), "Zg==");
    EXPECT_EQ(Base64Encode("fo"), "Zm8=");
    EXPECT_EQ(Base64Encode("foo"), "Zm9v");
    EXPECT_EQ(Base64Encode("foob"), "Zm9vYg==");
    EXPECT_EQ(Base64Encode("fooba"), "Zm9vYmE=");
    EXPECT_EQ(Base64Encode("foobar"), "Zm9vYmFy");
}

TEST(Base64, UsesPlusAndSlashForTheLastTwoLetters) {
    EXPECT_EQ(Base64Encode(std::string("\xfb\xff\xbf", 3)), "+/+/");
    EXPECT_EQ(Base64Decode("+/+/"), std::string("\xfb\xff\xbf", 3));
}

TEST(Base64, DecodesRfc4648Vectors) {
    EXPECT_EQ(Base64Decode(""), "");
    EXPECT_EQ(Base64Decode("Zg=="), "f");
    EXPECT_EQ(Base64Decode("Zm8="), "fo");
    EXPECT_EQ(Base64Decode("Zm9v"), "foo");
    EXPECT_EQ(Base64Decode("Zm9vYg=="), "foob");
    EXPECT_EQ(Base64Decode("Zm9vYmE="), "fooba");
    EXPECT_EQ(Base64Decode("Zm9vYmFy"), "foobar");
    EXPECT_EQ(Base64Decode("AAAA"), std::string(3, '\0'));
}

TEST(Base64, RejectsMalformedText) {
    for (const char* bad : {"Zm9", "Zg=", "Zm=v", "Z===", "====", "Zm9v\n", " Zm9v", "Zm9v ",
                            "Zm9-", "Zm9_", "Zm9v====", "Zm\09v", "Zg==Zg==", "\xc3\xa9Zm9"}) {
        EXPECT_FALSE(Base64Decode(bad).has_value()) << bad;
    }
    EXPECT_FALSE(Base64Decode(std::string_view("Zm\0v", 4)).has_value());
}

TEST(Base64, EnforcesTheDecodedSizeLimit) {
    EXPECT_FALSE(Base64Decode("Zm9vYmFy", 5).has_value());
    EXPECT_EQ(Base64Decode("Zm9vYmFy", 6), "foobar");
    EXPECT_EQ(Base64Decode("Zm9vYmE=", 5), "fooba");
}

TEST(Base64, RoundTripsLongInputAcrossInternalPieces) {
    // 10 MB crosses the 3 MB encode and 4 MB decode pieces several times, with
    // a tail that needs one pad.
    std::string bytes(10'000'000 + 1, '\0');
    std::mt19937 gen(12345);
    for (auto& c : bytes) {
        c = static_cast<char>(gen());
    }
    const std::string text = Base64Encode(bytes);
    ASSERT_EQ(text.size(), (bytes.size() + 2) / 3 * 4);
    EXPECT_EQ(text.back(), '=');
    EXPECT_EQ(text.find('\0'), std::string::npos);
    // Encoding is local to each group, so a prefix encodes to a prefix.
    EXPECT_EQ(text.substr(0, 8'000'000),
              Base64Encode(std::string_view(bytes).substr(0, 6'000'000)));
    const auto back = Base64Decode(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_TRUE(*back == bytes);
}

}  // namespace
}  // namespace quillora::codec
