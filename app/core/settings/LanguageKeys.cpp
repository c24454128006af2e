#include "app/core/settings/LanguageKeys.h"

#include "app/core/language/LanguageTable.h"
#include "app/core/settings/SettingKeys.h"
#include "platform/ini/IniFile.h"

namespace quillora {

namespace {

int ReadLocale(const QString& path, const IntSettingKey& key) {
    return platform::IniFile(path).readInt(key.section, key.key, key.fallback);
}

}  // namespace

int ReadOemLanguageKey(int languageId, const QString& appFolder) {
    const int locale = ReadLocale(appFolder + u'/' + kOemFileName, settingkey::kOemLcid);
    return LanguageIdForLocale(locale, languageId);
}

int ReadUserLanguageKey(int languageId, const QString& userDataFolder) {
    const int locale = ReadLocale(userDataFolder + u'/' + kConfigFileName, settingkey::kUserLcid);
    return LanguageIdForLocale(locale, languageId);
}

int ReadLanguageKeys(const QString& appFolder, const QString& userDataFolder) {
    const int fromOem = ReadOemLanguageKey(kDefaultLanguageId, appFolder);
    return ReadUserLanguageKey(fromOem, userDataFolder);
}

}  // namespace quillora
