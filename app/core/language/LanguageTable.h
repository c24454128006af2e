#pragma once

#include <QString>
#include <QStringView>

#include <span>

namespace quillora {

// One interface language: the program's language id (a code-page-like number)
// and the code that names its file ("cn" for "cn.dat" and "cn.txt").
struct LanguageInfo {
    int languageId;
    const char* code;
};

// The language id before any language key is read: Simplified Chinese.
inline constexpr int kDefaultLanguageId = 936;
// The language id of English, which is also the file of every unknown id.
inline constexpr int kEnglishLanguageId = 0;

// Every shipped language, English last.
std::span<const LanguageInfo> Languages();

// The language id of a Windows locale id; 0 (English) for any non-zero
// locale not in the table. Locale 0 keeps `current`.
int LanguageIdForLocale(int localeId, int current);

// "cn", "tr", ... for a language id; "en" for an id not in the table.
QString LanguageCode(int languageId);
// The language file name: code + ".dat".
QString LanguageFileName(int languageId);

}  // namespace quillora
