#pragma once

#include <QString>

namespace quillora {

// The process-wide language id: kDefaultLanguageId until start-up has read
// the language keys and set it, never changed afterwards. Safe to read from
// any thread.
int CurrentLanguageId();
void SetCurrentLanguageId(int languageId);

// The language file of a language id: application folder + "/language/" +
// file name, built anew at each call so it follows the application folder.
QString LanguageFilePath(int languageId);
QString CurrentLanguageFilePath();

}  // namespace quillora
