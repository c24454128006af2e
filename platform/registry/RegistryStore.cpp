#include "platform/registry/RegistryStore.h"

#include "platform/folders/Folders.h"

namespace quillora::platform {

namespace {

constexpr QStringView kDwordPrefix = u"dword:";
constexpr QStringView kStringPrefix = u"sz:";
constexpr QLatin1String kRegistryFileName("registry.ini");

// Registry strings are not cut like profile strings (a login token may be far
// longer than a path); only a value that could not fit the file is refused.
constexpr qsizetype kMaxStoredUnits = IniFile::kMaxFileBytes / 4;

int HexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

}  // namespace

QString EscapeRegistryString(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool edgeBlank = c.isSpace() && (i == 0 || i == text.size() - 1);
        if (c == u'\\') {
            out += u"\\\\";
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7F || edgeBlank ||
                   c.unicode() == 0x2028 || c.unicode() == 0x2029) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<QString> UnescapeRegistryString(QStringView stored) {
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored[i] != u'\\') {
            out += stored[i];
            continue;
        }
        if (i + 1 < stored.size() && stored[i + 1] == u'\\') {
            out += u'\\';
            ++i;
            continue;
        }
        if (i + 5 < stored.size() && stored[i + 1] == u'u') {
            int code = 0;
            for (qsizetype k = i + 2; k < i + 6; ++k) {
                const int digit = HexValue(stored[k]);
                if (digit < 0) {
                    return std::nullopt;
                }
                code = code * 16 + digit;
            }
            out += QChar(static_cast<char16_t>(code));
            i += 5;
            continue;
        }
        return std::nullopt;
    }
    return out;
}

RegistryStore RegistryStore::ForUser() {
    return RegistryStore(UserDataFolder() + u'/' + kRegistryFileName);
}

RegistryStore RegistryStore::ForMachine() {
    return RegistryStore(AppFolder() + u'/' + kRegistryFileName);
}

std::optional<QString> RegistryStore::rawValue(QStringView key, QStringView name) const {
    return file_.load().value(key, name);
}

std::optional<std::uint32_t> RegistryStore::readDword(QStringView key, QStringView name) const {
    const auto raw = rawValue(key, name);
    if (!raw || !raw->startsWith(kDwordPrefix)) {
        return std::nullopt;
    }
    bool ok = false;
    const qulonglong value = QStringView(*raw).sliced(kDwordPrefix.size()).toULongLong(&ok, 10);
    if (!ok || value > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<QString> RegistryStore::readString(QStringView key, QStringView name) const {
    const auto raw = rawValue(key, name);
    if (!raw || !raw->startsWith(kStringPrefix)) {
        return std::nullopt;
    }
    return UnescapeRegistryString(QStringView(*raw).sliced(kStringPrefix.size()));
}

bool RegistryStore::hasValue(QStringView key, QStringView name) const {
    return rawValue(key, name).has_value();
}

bool RegistryStore::writeDword(QStringView key, QStringView name, std::uint32_t value) {
    return file_.writeString(key, name, kDwordPrefix.toString() + QString::number(value));
}

bool RegistryStore::writeString(QStringView key, QStringView name, QStringView value) {
    const QString stored = kStringPrefix.toString() + EscapeRegistryString(value);
    if (stored.size() >= kMaxStoredUnits) {
        return false;
    }
    return file_.writeString(key, name, stored);
}

bool RegistryStore::deleteValue(QStringView key, QStringView name) {
    return file_.deleteKey(key, name);
}

}  // namespace quillora::platform
