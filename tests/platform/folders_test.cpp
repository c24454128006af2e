#include "platform/folders/Folders.h"

#include "tests/platform/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillora::platform {
namespace {

using test::ScopedEnv;

TEST(Folders, UserDataFolderOverrideIsCreatedWhenMissing) {
    QTemporaryDir dir;
    const QString wanted = dir.filePath("deep/er/Quillora");
    const ScopedEnv env("QUILLORA_USER_DATA", wanted);
    EXPECT_EQ(UserDataFolder(), wanted);
    EXPECT_TRUE(QFileInfo(wanted).isDir());
}

TEST(Folders, UserDataFolderDefaultsUnderXdgDataHome) {
    QTemporaryDir dir;
    const ScopedEnv noOverride("QUILLORA_USER_DATA", QString());
    const ScopedEnv xdg("XDG_DATA_HOME", dir.path());
    EXPECT_EQ(AppDataFolder(), dir.path());
    EXPECT_EQ(UserDataFolder(), dir.path() + "/Quillora");
    EXPECT_TRUE(QFileInfo(dir.path() + "/Quillora").isDir());
}

TEST(Folders, RelativeXdgDataHomeIsIgnored) {
    QTemporaryDir home;
    const ScopedEnv homeEnv("HOME", home.path());
    const ScopedEnv xdg("XDG_DATA_HOME", "relative/path");
    EXPECT_EQ(AppDataFolder(), home.path() + "/.local/share");
}

TEST(Folders, AppFolderIsTheExecutablesFolderUnlessOverridden) {
    const ScopedEnv noOverride("QUILLORA_APP_DIR", QString());
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    EXPECT_EQ(AppFolder(), QFileInfo(exe).absolutePath());

    QTemporaryDir dir;
    const ScopedEnv env("QUILLORA_APP_DIR", dir.path() + "/./sub/..");
    EXPECT_EQ(AppFolder(), dir.path());
}

TEST(Folders, MakeFolderPath) {
    QTemporaryDir dir;
    EXPECT_TRUE(MakeFolderPath(dir.filePath("a/b/c")));
    EXPECT_TRUE(MakeFolderPath(dir.filePath("a/b/c")));
    EXPECT_FALSE(MakeFolderPath(QString()));
}

}  // namespace
}  // namespace quillora::platform
