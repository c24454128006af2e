#include "platform/system/OsInfo.h"

#include <gtest/gtest.h>

namespace quillora::platform {
namespace {

TEST(OsInfo, NameComesFromTheDistributionIdAndVersion) {
    EXPECT_EQ(OsNameFromOsRelease(u"PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"
                                  u"NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\nID=debian\n"),
              "debian12");
    EXPECT_EQ(OsNameFromOsRelease(u"ID=ubuntu\nVERSION_ID='22.04'\n"), "ubuntu22.04");
    EXPECT_EQ(OsNameFromOsRelease(u"ID=arch\n"), "arch");
    // Characters that would need escaping in a query string are dropped.
    EXPECT_EQ(OsNameFromOsRelease(u"ID=\"my os&x=1\"\nVERSION_ID=\"1 2\"\n"), "myosx112");
    EXPECT_EQ(OsNameFromOsRelease(u"IDLIKE=debian\n"), "Linux");
    EXPECT_EQ(OsNameFromOsRelease(u""), "Linux");
}

TEST(OsInfo, NameOfThisSystemIsUsable) {
    const QString name = OsName();
    ASSERT_FALSE(name.isEmpty());
    for (const QChar c : name) {
        EXPECT_TRUE(c.isLetterOrNumber() || c == u'.' || c == u'-') << qPrintable(name);
    }
}

TEST(OsInfo, BitnessIsThirtyTwoOrSixtyFour) {
    const int bits = OsBitness();
    EXPECT_TRUE(bits == 32 || bits == 64);
    if (sizeof(void*) == 8) {
        EXPECT_EQ(bits, 64);
    }
}

}  // namespace
}  // namespace quillora::platform
