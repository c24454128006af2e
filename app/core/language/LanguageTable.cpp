#include "app/core/language/LanguageTable.h"

#include <algorithm>
#include <array>

namespace quillora {

namespace {

constexpr std::array<LanguageInfo, 12> kLanguages{{
    {936, "cn"},
    {950, "tr"},
    {932, "jp"},
    {1361, "ko"},
    {1141, "de"},
    {1145, "es"},
    {863, "fr"},
    {860, "pt"},
    {866, "ru"},
    {1057, "id"},
    {864, "ar"},
    {kEnglishLanguageId, "en"},
}};

struct LocaleMapping {
    int localeId;
    int languageId;
};

// Arabic has one locale per country; all of them share one language file.
constexpr std::array<LocaleMapping, 27> kLocales{{
    {0x0804, 936}, {0x0404, 950}, {0x0411, 932}, {0x0412, 1361}, {0x0407, 1141}, {0x040A, 1145},
    {0x040C, 863}, {0x0416, 860}, {0x0816, 860}, {0x0419, 866},  {0x0421, 1057}, {0x0401, 864},
    {0x0801, 864}, {0x0C01, 864}, {0x1001, 864}, {0x1401, 864},  {0x1801, 864},  {0x1C01, 864},
    {0x2001, 864}, {0x2401, 864}, {0x2801, 864}, {0x2C01, 864},  {0x3001, 864},  {0x3401, 864},
    {0x3801, 864}, {0x3C01, 864}, {0x4001, 864},
}};

}  // namespace

std::span<const LanguageInfo> Languages() {
    return kLanguages;
}

int LanguageIdForLocale(int localeId, int current) {
    if (localeId == 0) {
        return current;
    }
    const auto* found = std::find_if(kLocales.begin(), kLocales.end(),
                                     [&](const auto& entry) { return entry.localeId == localeId; });
    return found != kLocales.end() ? found->languageId : kEnglishLanguageId;
}

QString LanguageCode(int languageId) {
    const auto* found = std::find_if(kLanguages.begin(), kLanguages.end(), [&](const auto& entry) {
        return entry.languageId == languageId;
    });
    return QString::fromLatin1(found != kLanguages.end() ? found->code : "en");
}

QString LanguageFileName(int languageId) {
    return LanguageCode(languageId) + QStringLiteral(".dat");
}

}  // namespace quillora
