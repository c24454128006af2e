#include "platform/system/OsInfo.h"

#include <QFile>

#include <sys/utsname.h>

namespace quillora::platform {

namespace {

constexpr qint64 kMaxOsReleaseBytes = 64 * 1024;

QString FieldValue(QStringView osRelease, QStringView field) {
    for (QStringView line : osRelease.split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(field) && line.sliced(field.size()).startsWith(u'=')) {
            QStringView value = line.sliced(field.size() + 1).trimmed();
            if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
                value.back() == value.front()) {
                value = value.sliced(1, value.size() - 2);
            }
            return value.toString();
        }
    }
    return {};
}

QString KeepNameCharacters(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
            c == u'.' || c == u'-') {
            out += c;
        }
    }
    return out;
}

}  // namespace

QString OsNameFromOsRelease(QStringView osRelease) {
    const QString name = KeepNameCharacters(FieldValue(osRelease, u"ID")) +
                         KeepNameCharacters(FieldValue(osRelease, u"VERSION_ID"));
    return name.isEmpty() ? QStringLiteral("Linux") : name;
}

QString OsName() {
    QFile file(QStringLiteral("/etc/os-release"));
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("Linux");
    }
    return OsNameFromOsRelease(QString::fromUtf8(file.read(kMaxOsReleaseBytes)));
}

int OsBitness() {
    if constexpr (sizeof(void*) == 8) {
        return 64;
    }
    // A 32-bit program may run on a 64-bit kernel, which is what the
    // bitness names.
    struct utsname names {};
    if (::uname(&names) == 0 && QByteArray(names.machine).contains("64")) {
        return 64;
    }
    return 32;
}

}  // namespace quillora::platform
