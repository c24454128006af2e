#pragma once

#include "platform/ini/IniFile.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace quillora::platform {

// The registry key under which the program keeps its values.
inline constexpr QStringView kQuilloraRegistryKey = u"Software\\Quillora";

// The stand-in for the registry: typed values (DWORD and string) under keys,
// kept in an INI file whose sections are the key paths ("Software\Quillora").
// Key and value names compare without regard to letter case, as in the
// registry. A value is stored as "name=dword:<decimal>" or "name=sz:<text>",
// the text with backslashes, control characters and edge blanks escaped, so
// that any string survives the round trip.
//
// ForUser() is the per-user store (HKEY_CURRENT_USER): registry.ini in the
// user data folder. ForMachine() is the machine-wide store (HKEY_LOCAL_MACHINE):
// registry.ini in the application folder, written by the installer and
// normally read-only to the program.
//
// A read of a missing value, or of a value of the other type, gives nullopt.
class RegistryStore {
public:
    explicit RegistryStore(QString filePath) : file_(std::move(filePath)) {}
    static RegistryStore ForUser();
    static RegistryStore ForMachine();

    const QString& filePath() const { return file_.path(); }

    std::optional<std::uint32_t> readDword(QStringView key, QStringView name) const;
    std::optional<QString> readString(QStringView key, QStringView name) const;
    // True when the value exists, whatever its type.
    bool hasValue(QStringView key, QStringView name) const;

    bool writeDword(QStringView key, QStringView name, std::uint32_t value);
    bool writeString(QStringView key, QStringView name, QStringView value);
    // True when the value is gone afterwards (also when it never existed).
    bool deleteValue(QStringView key, QStringView name);

private:
    std::optional<QString> rawValue(QStringView key, QStringView name) const;

    IniFile file_;
};

// The escaping used for string values; exposed for tests.
QString EscapeRegistryString(QStringView text);
std::optional<QString> UnescapeRegistryString(QStringView stored);

}  // namespace quillora::platform
