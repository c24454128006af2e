#include "app/core/settings/AppSettings.h"

#include "app/core/settings/SettingKeys.h"
#include "platform/ini/IniFile.h"

namespace quillora {

namespace {

int ReadKey(const platform::IniDocument& doc, const IntSettingKey& key) {
    return platform::ReadProfileInt(doc, key.section, key.key, key.fallback);
}

bool StoreAndWrite(AppSettings& settings, int& field, int value, const IntSettingKey& key) {
    field = value;
    return WriteSettingInt(settings, key.section, key.key, value);
}

}  // namespace

void LoadSettings(AppSettings& settings, const QString& userDataFolder, const QString& appFolder) {
    settings.userConfigPath = userDataFolder + u'/' + kConfigFileName;
    settings.appConfigPath = appFolder + u'/' + kConfigFileName;
    const platform::IniDocument user = platform::IniFile(settings.userConfigPath).load();
    const platform::IniDocument app = platform::IniFile(settings.appConfigPath).load();

    settings.sendAction = ReadKey(user, settingkey::kSendAction);
    settings.enableShadow = ReadKey(app, settingkey::kEnableShadow);
    settings.showDlgBorder = ReadKey(app, settingkey::kShowDlgBorder);
    settings.timestamp = ReadKey(user, settingkey::kTimestamp);
    settings.highQualityJpeg = ReadKey(user, settingkey::kHighQualityJpeg);
    settings.alphaMatting = ReadKey(user, settingkey::kAlpha);
    settings.loaded = true;
}

bool SetTimestamp(AppSettings& settings, int value) {
    return StoreAndWrite(settings, settings.timestamp, value, settingkey::kTimestamp);
}

bool SetHighQualityJpeg(AppSettings& settings, int value) {
    return StoreAndWrite(settings, settings.highQualityJpeg, value, settingkey::kHighQualityJpeg);
}

bool SetAlphaMatting(AppSettings& settings, int value) {
    return StoreAndWrite(settings, settings.alphaMatting, value & 0xFF, settingkey::kAlpha);
}

bool WriteSettingInt(const AppSettings& settings, QStringView section, QStringView key, int value) {
    return platform::IniFile(settings.userConfigPath).writeInt(section, key, value);
}

int ReadHasNewInstaller(const AppSettings& settings) {
    const auto& key = settingkey::kHasNewInstaller;
    return platform::IniFile(settings.userConfigPath).readInt(key.section, key.key, key.fallback);
}

int ReadUpdateSwitch(QStringView key, const QString& userDataFolder) {
    return platform::IniFile(userDataFolder + u'/' + kUpdateConfigFileName)
        .readInt(settingkey::kUpdateSection, key, settingkey::kUpdateSwitchFallback);
}

}  // namespace quillora
