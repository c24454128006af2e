#include "app/core/settings/AppSettings.h"
#include "app/core/settings/LanguageKeys.h"

#include "app/core/language/LanguageTable.h"
#include "platform/ini/IniFile.h"
#include "tests/platform/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillora {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class SettingsTest : public ::testing::Test {
protected:
    QString userFile(const QString& name = "Config.ini") const { return user_.filePath(name); }
    QString appFile(const QString& name = "Config.ini") const { return app_.filePath(name); }
    AppSettings load() const {
        AppSettings settings;
        LoadSettings(settings, user_.path(), app_.path());
        return settings;
    }

    QTemporaryDir user_;
    QTemporaryDir app_;
};

TEST_F(SettingsTest, MissingFilesGiveTheDefaults) {
    const AppSettings settings = load();
    EXPECT_TRUE(settings.loaded);
    EXPECT_EQ(settings.userConfigPath, userFile());
    EXPECT_EQ(settings.appConfigPath, appFile());
    EXPECT_EQ(settings.sendAction, 1);
    EXPECT_EQ(settings.timestamp, 1);
    EXPECT_EQ(settings.highQualityJpeg, 0);
    EXPECT_EQ(settings.alphaMatting, 1);
    EXPECT_EQ(settings.enableShadow, 1);
    EXPECT_EQ(settings.showDlgBorder, 0);
}

TEST_F(SettingsTest, EachKeyComesFromItsOwnFile) {
    ASSERT_TRUE(WriteBytes(userFile(),
                           "[Setting]\nSendAction=0\nTimestamp=0\nHeightQualityJPG=1\nAlpha=0\n"
                           "EnableShadow=0\nShowDlgBorder=1\n"));
    ASSERT_TRUE(WriteBytes(appFile(),
                           "[setting]\nenableshadow=0x0\nSHOWDLGBORDER= 7 \n"
                           "SendAction=5\n"));
    const AppSettings settings = load();
    EXPECT_EQ(settings.sendAction, 0);
    EXPECT_EQ(settings.timestamp, 0);
    EXPECT_EQ(settings.highQualityJpeg, 1);
    EXPECT_EQ(settings.alphaMatting, 0);
    EXPECT_EQ(settings.enableShadow, 0);
    EXPECT_EQ(settings.showDlgBorder, 7);
}

TEST_F(SettingsTest, BadUserFileGivesDefaults) {
    ASSERT_TRUE(WriteBytes(userFile(), QByteArray("\x00\x01[Setting\nSendAction=0\n\xFF", 24)));
    EXPECT_EQ(load().sendAction, 1);
}

TEST_F(SettingsTest, SettersWriteThroughAtOnce) {
    ASSERT_TRUE(WriteBytes(userFile(), "[Setting]\nSendAction=0\n"));
    AppSettings settings = load();
    EXPECT_TRUE(SetTimestamp(settings, 0));
    EXPECT_TRUE(SetHighQualityJpeg(settings, 1));
    EXPECT_TRUE(SetAlphaMatting(settings, 0));
    EXPECT_EQ(settings.timestamp, 0);
    EXPECT_EQ(settings.highQualityJpeg, 1);
    EXPECT_EQ(settings.alphaMatting, 0);
    const AppSettings again = load();
    EXPECT_EQ(again.sendAction, 0);
    EXPECT_EQ(again.timestamp, 0);
    EXPECT_EQ(again.highQualityJpeg, 1);
    EXPECT_EQ(again.alphaMatting, 0);
    EXPECT_EQ(ReadBytes(userFile()),
              "[Setting]\nSendAction=0\nTimestamp=0\nHeightQualityJPG=1\nAlpha=0\n");
}

TEST_F(SettingsTest, AlphaMattingKeepsOnlyTheLowByte) {
    AppSettings settings = load();
    SetAlphaMatting(settings, 0x101);
    EXPECT_EQ(settings.alphaMatting, 1);
    SetAlphaMatting(settings, 0x100);
    EXPECT_EQ(settings.alphaMatting, 0);
    EXPECT_EQ(load().alphaMatting, 0);
}

TEST_F(SettingsTest, WriteSettingIntAndTheLiveReads) {
    AppSettings settings = load();
    EXPECT_EQ(ReadHasNewInstaller(settings), 0);
    EXPECT_TRUE(WriteSettingInt(settings, u"main", u"HasNewInstaller", 1));
    EXPECT_EQ(ReadHasNewInstaller(settings), 1);

    EXPECT_EQ(ReadUpdateSwitch(u"ExcepRunAuto", user_.path()), 1);
    ASSERT_TRUE(WriteBytes(userFile("cd.dat"), "[Config]\nExcepRunAuto=0\nToolbox=2\n"));
    EXPECT_EQ(ReadUpdateSwitch(u"ExcepRunAuto", user_.path()), 0);
    EXPECT_EQ(ReadUpdateSwitch(u"Toolbox", user_.path()), 2);
    EXPECT_EQ(ReadUpdateSwitch(u"Other", user_.path()), 1);
}

TEST_F(SettingsTest, WritingIntoAMissingUserFolderFails) {
    AppSettings settings;
    LoadSettings(settings, user_.filePath("gone"), app_.path());
    EXPECT_FALSE(SetTimestamp(settings, 0));
    EXPECT_EQ(settings.timestamp, 0);
}

TEST_F(SettingsTest, OemLanguageKeyAppliesWhenTheUserKeyIsZero) {
    ASSERT_TRUE(WriteBytes(appFile("oem.ini"), "[LANG]\nLCID=1041\n"));
    ASSERT_TRUE(WriteBytes(userFile(), "[Setting]\nLCID=0\n"));
    const int id = ReadLanguageKeys(app_.path(), user_.path());
    EXPECT_EQ(id, 932);
    EXPECT_EQ(LanguageFileName(id), "jp.dat");
}

TEST_F(SettingsTest, UserLanguageKeyWins) {
    ASSERT_TRUE(WriteBytes(appFile("oem.ini"), "[LANG]\nLCID=1041\n"));
    ASSERT_TRUE(WriteBytes(userFile(), "[Setting]\nLCID=1033\n"));
    const int id = ReadLanguageKeys(app_.path(), user_.path());
    EXPECT_EQ(LanguageFileName(id), "en.dat");
    // Read one at a time, as start-up does around creating the user folder.
    EXPECT_EQ(ReadOemLanguageKey(kDefaultLanguageId, app_.path()), 932);
    EXPECT_EQ(ReadUserLanguageKey(932, user_.path()), kEnglishLanguageId);
}

TEST_F(SettingsTest, NoLanguageKeysKeepSimplifiedChinese) {
    EXPECT_EQ(ReadLanguageKeys(app_.path(), user_.path()), 936);
    ASSERT_TRUE(WriteBytes(userFile(), "[Setting]\nLCID=0x816\n"));
    EXPECT_EQ(LanguageFileName(ReadLanguageKeys(app_.path(), user_.path())), "pt.dat");
}

}  // namespace
}  // namespace quillora
