#include "app/core/settings/OemInfo.h"

#include "app/core/settings/SettingKeys.h"
#include "platform/ini/IniFile.h"

#include <array>

namespace quillora {

namespace {

struct OemStringKey {
    QStringView section;
    QStringView key;
    QString OemInfo::*field;
};

constexpr std::array<OemStringKey, 12> kStringKeys{{
    {u"Partner", u"NewVersion", &OemInfo::newVersionUrl},
    {u"Partner", u"Update", &OemInfo::updateUrl},
    {u"URL", u"Line", &OemInfo::lineUrl},
    {u"UI", u"TitleLogo", &OemInfo::titleLogo},
    {u"UI", u"TitleText", &OemInfo::titleText},
    {u"UI", u"AboutLogo", &OemInfo::aboutLogo},
    {u"UI", u"ProductName", &OemInfo::productName},
    {u"UI", u"ShortName", &OemInfo::shortName},
    {u"UI", u"CompanyName", &OemInfo::companyName},
    {u"UI", u"OfficialSite", &OemInfo::officialSite},
    {u"UI", u"DlgBgImage", &OemInfo::dlgBgImage},
    {u"Other", u"Tutorials", &OemInfo::tutorials},
}};

QString OemPath(const QString& appFolder) {
    return appFolder + u'/' + kOemFileName;
}

void KeepIfPresent(QString& field, const QString& value) {
    if (!value.isEmpty()) {
        field = value;
    }
}

bool ReadSwitch(const platform::IniDocument& doc, const IntSettingKey& key) {
    return platform::ReadProfileInt(doc, key.section, key.key, key.fallback) != 0;
}

}  // namespace

void LoadOem(OemInfo& oem, const QString& appFolder, const QString& defaultLineUrl) {
    const platform::IniDocument doc = platform::IniFile(OemPath(appFolder)).load();

    KeepIfPresent(oem.partnerId, platform::ReadProfileString(doc, u"Partner", u"Id", QString(),
                                                             kPartnerIdMaxChars + 1));
    KeepIfPresent(oem.lineUrl, defaultLineUrl);
    for (const OemStringKey& key : kStringKeys) {
        KeepIfPresent(oem.*key.field, platform::ReadProfileString(doc, key.section, key.key));
    }
    oem.showOfficial = ReadSwitch(doc, settingkey::kShowOfficial);
    oem.showPrivacy = ReadSwitch(doc, settingkey::kShowPrivacy);
    oem.openOfficial = ReadSwitch(doc, settingkey::kOpenOfficial);
    oem.showTool = ReadSwitch(doc, settingkey::kShowTool);
}

bool ResetOpenOfficial(const QString& appFolder) {
    const auto& key = settingkey::kOpenOfficial;
    return platform::IniFile(OemPath(appFolder)).writeString(key.section, key.key, u"0");
}

}  // namespace quillora
