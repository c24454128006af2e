#include "DialogTestSupport.h"

#include "app/core/language/Messages.h"
#include "app/core/settings/AppSettings.h"
#include "app/core/settings/OemInfo.h"
#include "app/shell/dialogs/AboutDlg.h"
#include "app/shell/dialogs/SettingDlg.h"
#include "platform/ini/IniFile.h"

#include <QFile>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace quillora::test {
namespace {

class SettingDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        DialogApp();
        QFile::remove(UserDataPath() + QStringLiteral("/Config.ini"));
        LoadSettings(settings, UserDataPath(), QStringLiteral(QUILLORA_BIN_DIR));
        SetMessagePresenter([this](const MessageRequest& request) {
            messages << request;
            return kMessageYes;
        });
    }
    void TearDown() override { SetMessagePresenter(nullptr); }

    int FileValue(const char* key) {
        return platform::IniFile(settings.userConfigPath)
            .readInt(u"Setting", QString::fromLatin1(key), -1);
    }
    // Shows the dialog, lets `act` work on it, and returns the close code;
    // -1 when the dialog was still open afterwards (then it is closed).
    int Run(std::function<void(CSettingDlg*)> act) {
        CSettingDlg dialog(settings);
        EXPECT_TRUE(dialog.Create(nullptr, QString(), kDialogStyle));
        bool stillOpen = false;
        WhenShown<CSettingDlg>([&](CSettingDlg* shown) {
            act(shown);
            QApplication::processEvents();
            stillOpen = shown->IsWindow();
            if (stillOpen) {
                shown->Close(99);
            }
        });
        const int code = dialog.ShowModal();
        return stillOpen ? -1 : code;
    }
    static void SetBitRate(CSettingDlg* dialog, const QString& text) {
        dialog->SetText(QStringLiteral("edtBitRate"), text);
    }

    AppSettings settings;
    QList<MessageRequest> messages;
};

TEST_F(SettingDialogTest, BoxesShowTheSettingsWithTwoOfThemNegative) {
    settings.timestamp = 0;
    settings.highQualityJpeg = 1;
    settings.alphaMatting = 0;
    Run([](CSettingDlg* dialog) {
        EXPECT_TRUE(dialog->GetCheck(QStringLiteral("TimestampFileName")));
        EXPECT_TRUE(dialog->GetCheck(QStringLiteral("optHeightQualityJPG")));
        EXPECT_TRUE(dialog->GetCheck(QStringLiteral("optAlphaMatting")));
    });
    settings.timestamp = 1;
    settings.highQualityJpeg = 0;
    settings.alphaMatting = 1;
    Run([](CSettingDlg* dialog) {
        EXPECT_FALSE(dialog->GetCheck(QStringLiteral("TimestampFileName")));
        EXPECT_FALSE(dialog->GetCheck(QStringLiteral("optHeightQualityJPG")));
        EXPECT_FALSE(dialog->GetCheck(QStringLiteral("optAlphaMatting")));
    });
}

TEST_F(SettingDialogTest, SaveWritesAllThreeAtOnceThroughTheNegativeBoxes) {
    const int code = Run([](CSettingDlg* dialog) {
        ClickIn(dialog, "TimestampFileName");  // tick: no time stamp
        ClickIn(dialog, "optHeightQualityJPG");
        ClickIn(dialog, "optAlphaMatting");  // tick: no alpha matting
        SetBitRate(dialog, QStringLiteral("1000000"));
        ClickIn(dialog, "btnYes");
    });
    EXPECT_EQ(code, kCloseOk);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(settings.timestamp, 0);
    EXPECT_EQ(settings.highQualityJpeg, 1);
    EXPECT_EQ(settings.alphaMatting, 0);
    EXPECT_EQ(FileValue("Timestamp"), 0);
    EXPECT_EQ(FileValue("HeightQualityJPG"), 1);
    EXPECT_EQ(FileValue("Alpha"), 0);
}

TEST_F(SettingDialogTest, BitRateAboveTheLimitIsRefusedAndNothingSaved) {
    const int code = Run([](CSettingDlg* dialog) {
        ClickIn(dialog, "TimestampFileName");
        SetBitRate(dialog, QStringLiteral("1000001"));
        ClickIn(dialog, "btnYes");
    });
    EXPECT_EQ(code, -1);  // still open after "Save"
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].kind, kMessageError);
    EXPECT_FALSE(messages[0].text.isEmpty());
    EXPECT_EQ(settings.timestamp, 1);
    EXPECT_EQ(FileValue("Timestamp"), -1);
}

TEST_F(SettingDialogTest, TextThatIsNoNumberReadsAsZeroAndPasses) {
    for (const char* text : {"abc", "", "-5000000", "  12 "}) {
        messages.clear();
        const int code = Run([text](CSettingDlg* dialog) {
            SetBitRate(dialog, QString::fromLatin1(text));
            ClickIn(dialog, "btnYes");
        });
        EXPECT_EQ(code, kCloseOk) << text;
        EXPECT_TRUE(messages.isEmpty()) << text;
    }
}

TEST_F(SettingDialogTest, CloseButtonSavesNothing) {
    const int code = Run([](CSettingDlg* dialog) {
        ClickIn(dialog, "optHeightQualityJPG");
        ClickIn(dialog, "btnClose");
    });
    EXPECT_EQ(code, kCloseCancel);
    EXPECT_EQ(settings.highQualityJpeg, 0);
    EXPECT_EQ(FileValue("HeightQualityJPG"), -1);
}

TEST(AboutDialogTest, ShowsNameVersionAndTheBrandingItIsGiven) {
    DialogApp();
    OemInfo oem;
    oem.companyName = QStringLiteral("Acme Imaging");
    oem.officialSite = QStringLiteral("https://acme.example");
    CAboutDlg dialog(oem, QStringLiteral("Quillora"), QStringLiteral("1.0.0.0"));
    ASSERT_TRUE(dialog.Create(nullptr, QString(), kDialogStyle));
    WhenShown<CAboutDlg>([](CAboutDlg* shown) {
        EXPECT_EQ(shown->GetText(QStringLiteral("ProductName")), QStringLiteral("Quillora"));
        EXPECT_EQ(shown->GetText(QStringLiteral("LabelVersion")), QStringLiteral("1.0.0.0"));
        EXPECT_EQ(shown->GetText(QStringLiteral("CompanyName")), QStringLiteral("Acme Imaging"));
        EXPECT_EQ(shown->GetText(QStringLiteral("buttonSite")),
                  QStringLiteral("https://acme.example"));
        EXPECT_TRUE(shown->FindControl(QStringLiteral("LayCompanyInfo"))->isVisible());
        ClickIn(shown, "btnClose");
    });
    EXPECT_EQ(dialog.ShowModal(), kCloseOk);

    OemInfo hidden;
    hidden.showOfficial = false;
    CAboutDlg second(hidden, QStringLiteral("Q"), QStringLiteral("2.0.0.0"));
    ASSERT_TRUE(second.Create(nullptr, QString(), kDialogStyle));
    WhenShown<CAboutDlg>([](CAboutDlg* shown) {
        EXPECT_FALSE(shown->FindControl(QStringLiteral("LayCompanyInfo"))->isVisible());
        ClickIn(shown, "btnSysClose");
    });
    EXPECT_EQ(second.ShowModal(), 0);
}

}  // namespace
}  // namespace quillora::test
