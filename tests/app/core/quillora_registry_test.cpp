#include "app/core/settings/QuilloraRegistry.h"

#include "tests/platform/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillora {
namespace {

using platform::kQuilloraRegistryKey;
using platform::RegistryStore;

class QuilloraRegistryTest : public ::testing::Test {
protected:
    RegistryStore userStore() const { return RegistryStore(user_.filePath("registry.ini")); }
    RegistryStore machineStore() const { return RegistryStore(app_.filePath("registry.ini")); }
    QuilloraRegistry registry() const { return QuilloraRegistry(userStore(), machineStore()); }
    void installedFrom(const QString& installer) const {
        RegistryStore machine = machineStore();
        ASSERT_TRUE(machine.writeString(kQuilloraRegistryKey, u"InstallerName", installer));
    }

    QTemporaryDir user_;
    QTemporaryDir app_;
};

TEST_F(QuilloraRegistryTest, MissingValuesReadAsTheirDefaults) {
    const QuilloraRegistry reg = registry();
    EXPECT_EQ(reg.readUpDumpDay(), 0u);
    EXPECT_EQ(reg.readCloseConfirm(), 1u);
    EXPECT_EQ(reg.readUpdateDay(), 0u);
    EXPECT_EQ(reg.readToolboxDay(), 0u);
    EXPECT_TRUE(reg.readAdid().isEmpty());
    EXPECT_TRUE(reg.readJwt().isEmpty());
    EXPECT_TRUE(reg.readPatchVersion().isEmpty());
    EXPECT_FALSE(reg.hasSendInstallMessage());
}

TEST_F(QuilloraRegistryTest, DeletingCloseConfirmBringsTheQuestionBack) {
    QuilloraRegistry reg = registry();
    ASSERT_TRUE(reg.writeCloseConfirm(0));
    EXPECT_EQ(registry().readCloseConfirm(), 0u);
    ASSERT_TRUE(reg.deleteCloseConfirm());
    EXPECT_EQ(registry().readCloseConfirm(), 1u);
}

TEST_F(QuilloraRegistryTest, ChannelAndPartnerComeFromTheInstallerNameAndAreWrittenBack) {
    installedFrom("C:\\Users\\me\\Downloads\\QuilloraSetup_77-web.exe");
    QuilloraRegistry reg = registry();
    EXPECT_EQ(reg.channelId(), "web");
    EXPECT_EQ(reg.partnerId(), "77-web");
    EXPECT_EQ(userStore().readString(kQuilloraRegistryKey, u"adid"), QString("web"));
    EXPECT_EQ(userStore().readString(kQuilloraRegistryKey, u"partner"), QString("77-web"));

    // Once stored, the values no longer follow the installer name.
    installedFrom("/tmp/QuilloraSetup_12-other.exe");
    EXPECT_EQ(registry().channelId(), "web");
    EXPECT_EQ(registry().partnerId(), "77-web");
}

TEST_F(QuilloraRegistryTest, InstallerNameWithoutSeparatorsWritesNothing) {
    installedFrom("/home/me/QuilloraSetup.exe");
    QuilloraRegistry reg = registry();
    EXPECT_TRUE(reg.channelId().isEmpty());
    EXPECT_TRUE(reg.partnerId().isEmpty());
    EXPECT_FALSE(userStore().hasValue(kQuilloraRegistryKey, u"adid"));
    EXPECT_FALSE(userStore().hasValue(kQuilloraRegistryKey, u"partner"));
}

TEST_F(QuilloraRegistryTest, StoredValuesWinOverTheInstallerName) {
    installedFrom("QuilloraSetup_77-web.exe");
    QuilloraRegistry reg = registry();
    ASSERT_TRUE(reg.writeAdid(u"store"));
    ASSERT_TRUE(reg.writePartner(u"9"));
    EXPECT_EQ(reg.channelId(), "store");
    EXPECT_EQ(reg.partnerId(), "9");
}

TEST(InstallerNamePart, TakesTheTextAfterTheFirstSeparatorOfTheFileName) {
    EXPECT_EQ(InstallerNamePart(u"QuilloraSetup_77-web.exe", u'-'), "web");
    EXPECT_EQ(InstallerNamePart(u"QuilloraSetup_77-web.exe", u'_'), "77-web");
    EXPECT_EQ(InstallerNamePart(u"D:\\my-downloads\\QuilloraSetup_3.exe", u'-'), "");
    EXPECT_EQ(InstallerNamePart(u"/opt/a_b/Setup-x-y.tar.gz", u'-'), "x-y.tar");
    EXPECT_EQ(InstallerNamePart(u"/opt/a_b/Setup-x", u'_'), "");
    EXPECT_EQ(InstallerNamePart(u"Setup-", u'-'), "");
    EXPECT_EQ(InstallerNamePart(u"", u'-'), "");
}

TEST_F(QuilloraRegistryTest, LoginTokenFallsBackToTheMachineCode) {
    QuilloraRegistry reg = registry();
    EXPECT_EQ(reg.loginToken("MACHINE"), "MACHINE");
    ASSERT_TRUE(reg.writeJwt(u"eyJ.token.sig"));
    EXPECT_EQ(reg.loginToken("MACHINE"), "eyJ.token.sig");
    ASSERT_TRUE(reg.deleteJwt());
    EXPECT_EQ(reg.loginToken("MACHINE"), "MACHINE");
}

TEST_F(QuilloraRegistryTest, ValuesRoundTrip) {
    QuilloraRegistry reg = registry();
    ASSERT_TRUE(reg.writeUpDumpDay(0x89ABCDEFu));
    ASSERT_TRUE(reg.writeUpdateDay(31));
    ASSERT_TRUE(reg.writeToolboxDay(7));
    ASSERT_TRUE(reg.writeToolboxVersion(u"1.2.0.0"));
    ASSERT_TRUE(reg.writePatchVersion(u"2.0.1"));
    ASSERT_TRUE(reg.writeHeadImage(u"https://host/a.png"));
    const QuilloraRegistry again = registry();
    EXPECT_EQ(again.readUpDumpDay(), 0x89ABCDEFu);
    EXPECT_EQ(again.readUpdateDay(), 31u);
    EXPECT_EQ(again.readToolboxDay(), 7u);
    EXPECT_EQ(again.readToolboxVersion(), "1.2.0.0");
    EXPECT_EQ(again.readPatchVersion(), "2.0.1");
    EXPECT_EQ(again.readHeadImage(), "https://host/a.png");
    ASSERT_TRUE(reg.deleteHeadImage());
    EXPECT_TRUE(registry().readHeadImage().isEmpty());
}

TEST_F(QuilloraRegistryTest, ValuesWrittenByOthersAreReadAndDeleted) {
    RegistryStore user = userStore();
    ASSERT_TRUE(user.writeDword(kQuilloraRegistryKey, u"SendInstallMessage", 1));
    ASSERT_TRUE(user.writeString(kQuilloraRegistryKey, u"DownloadedUpdateVersion", u"1.0.1.0"));
    ASSERT_TRUE(user.writeString(kQuilloraRegistryKey, u"SoftwareVersion", u"1.0.0.0"));
    QuilloraRegistry reg = registry();
    EXPECT_TRUE(reg.hasSendInstallMessage());
    EXPECT_EQ(reg.readDownloadedUpdateVersion(), "1.0.1.0");
    EXPECT_EQ(reg.readSoftwareVersion(), "1.0.0.0");
    EXPECT_TRUE(reg.deleteSendInstallMessage());
    EXPECT_TRUE(reg.deleteDownloadedUpdateVersion());
    EXPECT_FALSE(registry().hasSendInstallMessage());
    EXPECT_TRUE(registry().readDownloadedUpdateVersion().isEmpty());
}

}  // namespace
}  // namespace quillora
