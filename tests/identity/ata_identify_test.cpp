#include <gtest/gtest.h>

#include <string>

#include "identity/linux/AtaIdentify.h"

namespace quillora::identity {
namespace {

// An IDENTIFY answer whose serial words hold `text` (padded with spaces) the
// way a drive stores it: two characters per word, the first in the high byte,
// each word little-endian in memory.
std::string IdentifyWithSerial(const std::string& text) {
    std::string padded = text;
    padded.resize(20, ' ');
    std::string identify(kIdentifyBytes, '\x7f');
    for (std::size_t i = 0; i < 20; i += 2) {
        identify[20 + i] = padded[i + 1];
        identify[20 + i + 1] = padded[i];
    }
    return identify;
}

TEST(AtaIdentifyTest, SerialWordsAreReadHighByteFirst) {
    EXPECT_EQ(SerialFromIdentify(IdentifyWithSerial("WD-WCC4E1234567")), "WD-WCC4E1234567");
    EXPECT_EQ(SerialFromIdentify(IdentifyWithSerial("ABCDEFGHIJKLMNOPQRST")),
              "ABCDEFGHIJKLMNOPQRST");
}

TEST(AtaIdentifyTest, LeadingSpacesStayTrailingOnesGo) {
    EXPECT_EQ(SerialFromIdentify(IdentifyWithSerial("   Z9")), "   Z9");
    EXPECT_EQ(SerialFromIdentify(IdentifyWithSerial("")), "");
}

TEST(AtaIdentifyTest, ShortOrNulFilledAnswers) {
    EXPECT_EQ(SerialFromIdentify(std::string(39, 'x')), "");
    std::string identify = IdentifyWithSerial("AB");
    identify[20] = '\0';  // the low byte of word 10: the second character
    EXPECT_EQ(SerialFromIdentify(identify), "A");
}

}  // namespace
}  // namespace quillora::identity
