#pragma once

#include "app/core/language/LangKeys.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace quillora {

// The buffer of LangText and of the message texts: at most 259 units come back.
inline constexpr qsizetype kLangTextBufferUnits = 260;

// Looks `key` up (exact, case-sensitive) in the section stream `section` of
// the language file at filePath. True with out = the value when found; false
// with out = fallback otherwise (missing or unreadable file, missing, empty or
// oversized stream, missing key). Either text is cut to bufferUnits - 1 units.
// Reads the file at every call: there is no cache to go stale.
bool GetLangString(QStringView section, QStringView key, const QString& fallback, QString& out,
                   qsizetype bufferUnits, const QString& filePath);

// The text of `key` in the current language's file (empty when missing), at
// most 259 units. Safe on any thread.
QString LangText(QStringView key, QStringView section = u"UI");
QString LangText(const LangKey& key);

// Decodes the Base64 key first; a key that is not valid Base64 finds nothing.
QString LangTextB64(QByteArrayView base64Key, QStringView section = u"UI");

// The key name a Base64 key stands for; nullopt when it is not strict Base64.
std::optional<QString> DecodeLangKey(QByteArrayView base64Key);

}  // namespace quillora
