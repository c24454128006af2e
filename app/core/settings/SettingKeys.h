#pragma once

#include <QLatin1String>
#include <QStringView>

namespace quillora {

// The settings files, by name.
inline constexpr QLatin1String kConfigFileName("Config.ini");    // user and application
inline constexpr QLatin1String kOemFileName("oem.ini");          // application folder
inline constexpr QLatin1String kUpdateConfigFileName("cd.dat");  // user data folder

// An integer key of a settings file with the value a missing key reads as.
struct IntSettingKey {
    QStringView section;
    QStringView key;
    int fallback;
};

namespace settingkey {

// User Config.ini.
inline constexpr IntSettingKey kSendAction{u"Setting", u"SendAction", 1};
inline constexpr IntSettingKey kTimestamp{u"Setting", u"Timestamp", 1};
inline constexpr IntSettingKey kHighQualityJpeg{u"Setting", u"HeightQualityJPG", 0};
inline constexpr IntSettingKey kAlpha{u"Setting", u"Alpha", 1};
inline constexpr IntSettingKey kUserLcid{u"Setting", u"LCID", 0};
inline constexpr IntSettingKey kHasNewInstaller{u"main", u"HasNewInstaller", 0};

// Application Config.ini.
inline constexpr IntSettingKey kEnableShadow{u"Setting", u"EnableShadow", 1};
inline constexpr IntSettingKey kShowDlgBorder{u"Setting", u"ShowDlgBorder", 0};

// oem.ini.
inline constexpr IntSettingKey kShowOfficial{u"UI", u"ShowOfficial", 1};
inline constexpr IntSettingKey kShowPrivacy{u"UI", u"ShowPrivacy", 1};
inline constexpr IntSettingKey kOpenOfficial{u"Other", u"OpenOfficial", 0};
inline constexpr IntSettingKey kShowTool{u"Other", u"ShowTool", 1};
inline constexpr IntSettingKey kOemLcid{u"LANG", u"LCID", 0};

// cd.dat, section Config (read with ReadUpdateSwitch).
inline constexpr QStringView kUpdateSection = u"Config";
inline constexpr QStringView kExcepRunAuto = u"ExcepRunAuto";
inline constexpr QStringView kToolbox = u"Toolbox";
inline constexpr int kUpdateSwitchFallback = 1;

}  // namespace settingkey

}  // namespace quillora
