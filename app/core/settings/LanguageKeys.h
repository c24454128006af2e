#pragma once

#include <QString>

namespace quillora {

// The two readers of the interface language. Each reads a Windows locale id
// and maps it (LanguageIdForLocale); a locale of 0 or a missing key keeps the
// id it is given. Start-up reads oem.ini first, creates the user data folder,
// then reads the user file, whose non-zero locale wins.

// oem.ini [LANG] LCID beside the executable.
int ReadOemLanguageKey(int languageId, const QString& appFolder);
// User Config.ini [Setting] LCID.
int ReadUserLanguageKey(int languageId, const QString& userDataFolder);

// Both in order, starting from the default id 936.
int ReadLanguageKeys(const QString& appFolder, const QString& userDataFolder);

}  // namespace quillora
