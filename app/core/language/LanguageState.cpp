#include "app/core/language/LanguageState.h"

#include "app/core/language/LanguageTable.h"
#include "platform/folders/Folders.h"

#include <atomic>

namespace quillora {

namespace {

std::atomic<int> currentLanguageId{kDefaultLanguageId};

}  // namespace

int CurrentLanguageId() {
    return currentLanguageId.load(std::memory_order_relaxed);
}

void SetCurrentLanguageId(int languageId) {
    currentLanguageId.store(languageId, std::memory_order_relaxed);
}

QString LanguageFilePath(int languageId) {
    return platform::AppFolder() + QStringLiteral("/language/") + LanguageFileName(languageId);
}

QString CurrentLanguageFilePath() {
    return LanguageFilePath(CurrentLanguageId());
}

}  // namespace quillora
