#include "app/shell/core/CommandLine.h"
#include "app/shell/core/DecimalNumber.h"
#include "app/shell/core/DpiChoice.h"

#include <gtest/gtest.h>

#include <limits>

namespace quillora::shell {
namespace {

TEST(StartSwitchTest, FindsSwitchesAnywhereAndInOrder) {
    EXPECT_EQ(FindStartSwitch(u""), StartSwitch::None);
    EXPECT_EQ(FindStartSwitch(u"--crash-test"), StartSwitch::None);
    EXPECT_EQ(FindStartSwitch(u"/install"), StartSwitch::Install);
    EXPECT_EQ(FindStartSwitch(u"/tjuninstall"), StartSwitch::TjUninstall);
    // Glued to other text it still counts.
    EXPECT_EQ(FindStartSwitch(u"x/uninstallnow"), StartSwitch::Uninstall);
    EXPECT_EQ(FindStartSwitch(u"--mode=/uninstall"), StartSwitch::Uninstall);
    // "/uninstall" wins over "/install" whichever comes first.
    EXPECT_EQ(FindStartSwitch(u"/install /uninstall"), StartSwitch::Uninstall);
    EXPECT_EQ(FindStartSwitch(u"/uninstall /install"), StartSwitch::Uninstall);
    EXPECT_EQ(FindStartSwitch(u"/install /tjuninstall"), StartSwitch::TjUninstall);
    // Case matters.
    EXPECT_EQ(FindStartSwitch(u"/INSTALL /Uninstall"), StartSwitch::None);
}

TEST(StartSwitchTest, TheProgramsOwnPathIsNoSwitch) {
    const QStringList argv{QStringLiteral("/opt/install/bin/quillora")};
    EXPECT_EQ(FindStartSwitch(ArgumentText(argv)), StartSwitch::None);
    const QStringList withArgs{QStringLiteral("/usr/bin/quillora"), QStringLiteral("a"),
                               QStringLiteral("/install")};
    EXPECT_EQ(ArgumentText(withArgs), QStringLiteral("a /install"));
    EXPECT_EQ(ArgumentText({}), QString());
}

TEST(DpiChoiceTest, FollowsTheFourSteps) {
    EXPECT_EQ(ChooseDpi(96), (DpiChoice{DpiAwareness::Unaware, 96}));
    EXPECT_EQ(ChooseDpi(72), (DpiChoice{DpiAwareness::Unaware, 96}));
    EXPECT_EQ(ChooseDpi(119), (DpiChoice{DpiAwareness::Unaware, 96}));
    EXPECT_EQ(ChooseDpi(120), (DpiChoice{DpiAwareness::SystemAware, 120}));
    EXPECT_EQ(ChooseDpi(143), (DpiChoice{DpiAwareness::SystemAware, 120}));
    EXPECT_EQ(ChooseDpi(144), (DpiChoice{DpiAwareness::SystemAware, 144}));
    EXPECT_EQ(ChooseDpi(191), (DpiChoice{DpiAwareness::SystemAware, 144}));
    EXPECT_EQ(ChooseDpi(192), (DpiChoice{DpiAwareness::SystemAware, 192}));
    EXPECT_EQ(ChooseDpi(288), (DpiChoice{DpiAwareness::SystemAware, 192}));
}

TEST(ReadInt64Test, ReadsLikeTheForgivingConverter) {
    EXPECT_EQ(ReadInt64(u"1000000"), 1000000);
    EXPECT_EQ(ReadInt64(u"1000001"), 1000001);
    EXPECT_EQ(ReadInt64(u"  42abc"), 42);
    EXPECT_EQ(ReadInt64(u"-17"), -17);
    EXPECT_EQ(ReadInt64(u"+8"), 8);
    EXPECT_EQ(ReadInt64(u"abc"), 0);
    EXPECT_EQ(ReadInt64(u""), 0);
    EXPECT_EQ(ReadInt64(u"- 5"), 0);
    EXPECT_EQ(ReadInt64(u"9223372036854775807"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(ReadInt64(u"9223372036854775808"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(ReadInt64(u"99999999999999999999999"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(ReadInt64(u"-9223372036854775808"), std::numeric_limits<qint64>::min());
    EXPECT_EQ(ReadInt64(u"-9223372036854775809"), std::numeric_limits<qint64>::min());
    // Digits of other scripts are no digits here.
    EXPECT_EQ(ReadInt64(u"\u0661\u0662"), 0);
}

}  // namespace
}  // namespace quillora::shell
