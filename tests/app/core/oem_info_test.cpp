#include "app/core/settings/OemInfo.h"

#include "platform/ini/IniFile.h"
#include "tests/platform/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillora {
namespace {

using test::WriteBytes;

class OemInfoTest : public ::testing::Test {
protected:
    QString oemPath() const { return app_.filePath("oem.ini"); }
    QTemporaryDir app_;
};

TEST_F(OemInfoTest, MissingFileKeepsTheInitialValues) {
    OemInfo oem;
    LoadOem(oem, app_.path(), "http://127.0.0.1:8080/swordfish.html?product_id=1");
    EXPECT_TRUE(oem.partnerId.isEmpty());
    EXPECT_TRUE(oem.productName.isEmpty());
    EXPECT_EQ(oem.lineUrl, "http://127.0.0.1:8080/swordfish.html?product_id=1");
    EXPECT_TRUE(oem.showOfficial);
    EXPECT_TRUE(oem.showPrivacy);
    EXPECT_FALSE(oem.openOfficial);
    EXPECT_TRUE(oem.showTool);
    EXPECT_EQ(oem.skinData, nullptr);
    EXPECT_EQ(oem.skinSize, 0u);
}

TEST_F(OemInfoTest, ReadsEveryKey) {
    ASSERT_TRUE(WriteBytes(oemPath(),
                           "[Partner]\nId=77-web\nNewVersion=http://v\nUpdate=u\n"
                           "[URL]\nLine=http://line\n"
                           "[UI]\nTitleLogo=t.png\nTitleText=Title\nAboutLogo=a.png\n"
                           "ProductName=Brand\nShortName=B\nCompanyName=Co\n"
                           "OfficialSite=http://site\nDlgBgImage=bg.png\nShowOfficial=0\n"
                           "ShowPrivacy=0\n"
                           "[Other]\nOpenOfficial=1\nTutorials=http://t\nShowTool=0\n"));
    OemInfo oem;
    LoadOem(oem, app_.path(), "http://default");
    EXPECT_EQ(oem.partnerId, "77-web");
    EXPECT_EQ(oem.newVersionUrl, "http://v");
    EXPECT_EQ(oem.updateUrl, "u");
    EXPECT_EQ(oem.lineUrl, "http://line");
    EXPECT_EQ(oem.titleLogo, "t.png");
    EXPECT_EQ(oem.titleText, "Title");
    EXPECT_EQ(oem.aboutLogo, "a.png");
    EXPECT_EQ(oem.productName, "Brand");
    EXPECT_EQ(oem.shortName, "B");
    EXPECT_EQ(oem.companyName, "Co");
    EXPECT_EQ(oem.officialSite, "http://site");
    EXPECT_EQ(oem.dlgBgImage, "bg.png");
    EXPECT_EQ(oem.tutorials, "http://t");
    EXPECT_FALSE(oem.showOfficial);
    EXPECT_FALSE(oem.showPrivacy);
    EXPECT_TRUE(oem.openOfficial);
    EXPECT_FALSE(oem.showTool);
}

TEST_F(OemInfoTest, PartnerIdKeepsFifteenCharactersAndStringsTwoHundredFiftyNine) {
    ASSERT_TRUE(WriteBytes(oemPath(), "[Partner]\nId=ABCDEFGHIJKLMNOPQRST\n[UI]\nTitleText=" +
                                          QByteArray(300, 'x') + "\n"));
    OemInfo oem;
    LoadOem(oem, app_.path());
    EXPECT_EQ(oem.partnerId, "ABCDEFGHIJKLMNO");
    EXPECT_EQ(oem.titleText.size(), 259);
}

TEST_F(OemInfoTest, EmptyStringsKeepWhatWasThereAndSwitchesAlwaysOverwrite) {
    ASSERT_TRUE(WriteBytes(oemPath(), "[UI]\nProductName=\nShortName=  \n[Other]\nShowTool=\n"));
    OemInfo oem;
    oem.productName = "From the language file";
    oem.shortName = "Short";
    oem.showTool = false;
    oem.openOfficial = true;
    LoadOem(oem, app_.path());
    EXPECT_EQ(oem.productName, "From the language file");
    EXPECT_EQ(oem.shortName, "Short");
    EXPECT_TRUE(oem.showTool);
    EXPECT_FALSE(oem.openOfficial);
}

TEST_F(OemInfoTest, ResetOpenOfficial) {
    ASSERT_TRUE(WriteBytes(oemPath(), "[Other]\nOpenOfficial=1\n"));
    EXPECT_TRUE(ResetOpenOfficial(app_.path()));
    EXPECT_EQ(platform::IniFile(oemPath()).readString(u"Other", u"OpenOfficial"), "0");
}

}  // namespace
}  // namespace quillora
