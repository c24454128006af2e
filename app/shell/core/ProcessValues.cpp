#include "app/shell/core/ProcessValues.h"

#include <QStringList>

namespace quillora::shell {

ProgramVersion BuiltVersion() {
#if defined(QUILLORA_VERSION_MAJOR)
    return {QUILLORA_VERSION_MAJOR, QUILLORA_VERSION_MINOR, QUILLORA_VERSION_PATCH,
            QUILLORA_VERSION_BUILD};
#else
    return {};
#endif
}

QString VersionText(const ProgramVersion& version) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(version.major)
        .arg(version.minor)
        .arg(version.patch)
        .arg(version.build);
}

int VersionNumber(const ProgramVersion& version) {
    const QString digits =
        QStringLiteral("%1%2%3").arg(version.major).arg(version.minor).arg(version.patch);
    bool ok = false;
    const int number = digits.toInt(&ok);
    return ok ? number : 0;
}

int VersionNumber(const QString& versionText) {
    const QStringList parts = versionText.split(QLatin1Char('.'));
    ProgramVersion version;
    int* fields[] = {&version.major, &version.minor, &version.patch};
    for (int i = 0; i < 3 && i < parts.size(); ++i) {
        *fields[i] = parts[i].trimmed().toInt();
    }
    return VersionNumber(version);
}

QString BrandedName(const QString& languageText, const QString& brandingText) {
    return brandingText.isEmpty() ? languageText : brandingText;
}

}  // namespace quillora::shell
