#include "app/core/language/LangLookup.h"

#include "app/core/language/CompoundFile.h"
#include "app/core/language/LangStream.h"
#include "app/core/language/LanguageState.h"
#include "common/codec/Base64.h"
#include "platform/ini/IniFile.h"

#include <QByteArray>

#include <string_view>

namespace quillora {

namespace {

QString ToQString(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

bool GetLangString(QStringView section, QStringView key, const QString& fallback, QString& out,
                   qsizetype bufferUnits, const QString& filePath) {
    const auto stored =
        lang::ReadCompoundStream(filePath, section.toString(), lang::kMaxSectionBytes);
    if (stored) {
        const auto value = lang::FindEntry(lang::DecodeSectionText(*stored), key);
        if (value) {
            out = platform::CutToBuffer(*value, bufferUnits);
            return true;
        }
    }
    out = platform::CutToBuffer(fallback, bufferUnits);
    return false;
}

QString LangText(QStringView key, QStringView section) {
    QString text;
    GetLangString(section, key, QString(), text, kLangTextBufferUnits, CurrentLanguageFilePath());
    return text;
}

QString LangText(const LangKey& key) {
    return LangTextB64(QByteArrayView(key.base64.data(), static_cast<qsizetype>(key.base64.size())),
                       ToQString(key.section));
}

std::optional<QString> DecodeLangKey(QByteArrayView base64Key) {
    // Key names are a few dozen letters; anything longer is not a key.
    constexpr std::size_t kMaxKeyBytes = 256;
    const auto decoded = codec::Base64Decode(
        std::string_view(base64Key.data(), static_cast<std::size_t>(base64Key.size())),
        kMaxKeyBytes);
    if (!decoded) {
        return std::nullopt;
    }
    return QString::fromUtf8(decoded->data(), static_cast<qsizetype>(decoded->size()));
}

QString LangTextB64(QByteArrayView base64Key, QStringView section) {
    const auto key = DecodeLangKey(base64Key);
    return key ? LangText(*key, section) : QString();
}

}  // namespace quillora
