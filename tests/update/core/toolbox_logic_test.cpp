#include "update/core/ToolboxLogic.h"

#include "UpdateTestSupport.h"

#include <gtest/gtest.h>

namespace quillora::update {
namespace {

using testing::TestFolder;

TEST(ToolboxAvailability, SwitchAndArchiveBothNeeded) {
    TestFolder folder;
    EXPECT_FALSE(IsToolboxAvailable(folder.path()));
    folder.write(kToolboxFileName, "qres");
    EXPECT_TRUE(IsToolboxAvailable(folder.path()));  // no cd.dat: switch on
    folder.write("cd.dat", "[Config]\r\nToolbox=0\r\n");
    EXPECT_FALSE(IsToolboxAvailable(folder.path()));
    folder.write("cd.dat", "[Config]\r\nToolbox=1\r\n");
    EXPECT_TRUE(IsToolboxAvailable(folder.path()));
    folder.write("cd.dat", "[Config]\r\nToolbox=2\r\n");
    EXPECT_FALSE(IsToolboxAvailable(folder.path()));
}

TEST(ToolboxRefreshDay, DueUnlessTodayIsStored) {
    TestFolder folder;
    auto registry = folder.registry();
    EXPECT_TRUE(ToolboxRefreshDue(*registry, 9));
    registry->writeToolboxDay(9);
    EXPECT_FALSE(ToolboxRefreshDue(*registry, 9));
    EXPECT_TRUE(ToolboxRefreshDue(*registry, 10));
}

TEST(ToolItems, FieldsFromUserData) {
    const ToolItem item = ToolItem::Parse(QStringLiteral(
        "url=;regedit=QuilloraSampleTool;exe=bin/sample-tool;installer=sample-tool-setup;"
        "setupcommond=--quiet --here"));
    EXPECT_TRUE(item.url.isEmpty());
    EXPECT_EQ(item.regedit, QStringLiteral("QuilloraSampleTool"));
    EXPECT_EQ(item.exe, QStringLiteral("bin/sample-tool"));
    EXPECT_EQ(item.installer, QStringLiteral("sample-tool-setup"));
    EXPECT_EQ(item.setupCommand, QStringLiteral("--quiet --here"));
}

TEST(ToolItems, ButtonStates) {
    ToolItem web;
    web.url = QStringLiteral("http://example.test/tool");
    ToolItem tool;
    tool.regedit = QStringLiteral("T");
    // A web address wins over an installed tool.
    EXPECT_EQ(ButtonFor(web, true, false), ToolButton::Learn);
    EXPECT_EQ(ButtonFor(web, false, true), ToolButton::Learn);
    EXPECT_EQ(ButtonFor(tool, true, false), ToolButton::Open);
    EXPECT_EQ(ButtonFor(tool, true, true), ToolButton::Open);
    EXPECT_EQ(ButtonFor(tool, false, true), ToolButton::Keep);
    EXPECT_EQ(ButtonFor(tool, false, false), ToolButton::Get);
    EXPECT_STREQ(ButtonTextKey(ToolButton::Learn), "learn");
    EXPECT_STREQ(ButtonTextKey(ToolButton::Get), "get");
}

TEST(ToolItems, InstalledMeansAnExistingFolder) {
    TestFolder folder;
    auto registry = folder.registry();
    auto& machine = registry->machineStore();
    EXPECT_EQ(InstalledToolFolder(machine, QStringLiteral("Tool")), QString());
    machine.writeString(u"Software\\Tool", u"Path", folder.file("missing"));
    EXPECT_EQ(InstalledToolFolder(machine, QStringLiteral("Tool")), QString());
    QDir(folder.path()).mkdir(QStringLiteral("tool"));
    machine.writeString(u"Software\\Tool", u"Path", folder.file("tool"));
    EXPECT_EQ(InstalledToolFolder(machine, QStringLiteral("Tool")), folder.file("tool"));
    EXPECT_EQ(InstalledToolFolder(machine, QString()), QString());
    // A file is no folder.
    folder.write("plain", "x");
    machine.writeString(u"Software\\Tool", u"Path", folder.file("plain"));
    EXPECT_EQ(InstalledToolFolder(machine, QStringLiteral("Tool")), QString());
}

TEST(ToolItems, NamesThatLeaveTheirFolderAreRefused) {
    EXPECT_EQ(InstalledToolProgram(QStringLiteral("/opt/t"), QStringLiteral("run")),
              QStringLiteral("/opt/t/run"));
    EXPECT_EQ(InstalledToolProgram(QStringLiteral("/opt/t"), QStringLiteral("bin/./run")),
              QStringLiteral("/opt/t/bin/run"));
    EXPECT_EQ(InstalledToolProgram(QStringLiteral("/opt/t"), QStringLiteral("../../bin/sh")),
              QString());
    EXPECT_EQ(InstalledToolProgram(QStringLiteral("/opt/t"), QStringLiteral("/bin/sh")), QString());
    EXPECT_EQ(InstalledToolProgram(QStringLiteral("/opt/t"), QString()), QString());
    EXPECT_TRUE(IsPlainFileName(QStringLiteral("setup-1.2")));
    EXPECT_FALSE(IsPlainFileName(QStringLiteral("../setup")));
    EXPECT_FALSE(IsPlainFileName(QStringLiteral("a/b")));
    EXPECT_FALSE(IsPlainFileName(QStringLiteral(".hidden")));
    EXPECT_FALSE(IsPlainFileName(QString()));
}

}  // namespace
}  // namespace quillora::update
