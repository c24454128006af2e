#pragma once

#include "app/core/language/LanguageTable.h"

#include <QString>

namespace quillora::shell {

// The values start-up fixes for the whole run and hands to the windows.
struct ProcessValues {
    QString applicationFolder;
    QString userDataFolder;
    int languageId = kDefaultLanguageId;
    QString channelId;
    QString partnerId;
    QString osName;
    int osBits = 64;
    QString versionText;  // "1.2.3.4"
    int versionNumber = 0;
    QString productName;  // the branding's name, else the language file's
    QString shortName;
    QString logFilePath;
    QString loginToken;
};

struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int patch = 0;
    int build = 0;
};

// The version this program was built as; all zero when the build set none.
ProgramVersion BuiltVersion();
// "%d.%d.%d.%d"
QString VersionText(const ProgramVersion& version);
// The first three parts written as "%d%d%d" and read back: 1.2.3 gives 123.
int VersionNumber(const ProgramVersion& version);
// The number of a version text ("1.2.3.4"); 0 when it has no numbers.
int VersionNumber(const QString& versionText);

// The branding's name when it has one, else the language file's.
QString BrandedName(const QString& languageText, const QString& brandingText);

}  // namespace quillora::shell
