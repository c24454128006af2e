#include "app/core/language/LanguageTable.h"

#include <QSet>

#include <gtest/gtest.h>

namespace quillora {
namespace {

QString FileForLocale(int locale) {
    return LanguageFileName(LanguageIdForLocale(locale, kDefaultLanguageId));
}

TEST(LanguageTable, EveryLocaleFindsItsFile) {
    EXPECT_EQ(FileForLocale(2052), "cn.dat");
    EXPECT_EQ(FileForLocale(1028), "tr.dat");
    EXPECT_EQ(FileForLocale(1041), "jp.dat");
    EXPECT_EQ(FileForLocale(1042), "ko.dat");
    EXPECT_EQ(FileForLocale(1031), "de.dat");
    EXPECT_EQ(FileForLocale(1034), "es.dat");
    EXPECT_EQ(FileForLocale(1036), "fr.dat");
    EXPECT_EQ(FileForLocale(1046), "pt.dat");
    EXPECT_EQ(FileForLocale(2070), "pt.dat");
    EXPECT_EQ(FileForLocale(1049), "ru.dat");
    EXPECT_EQ(FileForLocale(1057), "id.dat");
    for (int country = 0x04; country <= 0x40; country += 0x04) {
        EXPECT_EQ(FileForLocale((country << 8) | 0x01), "ar.dat") << country;
    }
    EXPECT_EQ(FileForLocale(0x4401), "en.dat");
    EXPECT_EQ(FileForLocale(1033), "en.dat");
    EXPECT_EQ(FileForLocale(2057), "en.dat");
    EXPECT_EQ(FileForLocale(-5), "en.dat");
}

TEST(LanguageTable, LanguageIds) {
    EXPECT_EQ(LanguageIdForLocale(1041, 936), 932);
    EXPECT_EQ(LanguageIdForLocale(2070, 936), 860);
    EXPECT_EQ(LanguageIdForLocale(1033, 932), 0);
    // Locale 0 keeps what was chosen before.
    EXPECT_EQ(LanguageIdForLocale(0, 932), 932);
    EXPECT_EQ(LanguageFileName(0), "en.dat");
    EXPECT_EQ(LanguageFileName(437), "en.dat");
    EXPECT_EQ(LanguageFileName(936), "cn.dat");
}

TEST(LanguageTable, TwelveLanguagesWithDistinctIdsAndCodes) {
    QSet<int> ids;
    QSet<QString> codes;
    for (const LanguageInfo& language : Languages()) {
        ids.insert(language.languageId);
        codes.insert(QString::fromLatin1(language.code));
        EXPECT_EQ(LanguageCode(language.languageId), QString::fromLatin1(language.code));
    }
    EXPECT_EQ(ids.size(), 12);
    EXPECT_EQ(codes, (QSet<QString>{"cn", "tr", "jp", "ko", "de", "es", "fr", "pt", "ru", "id",
                                    "ar", "en"}));
}

}  // namespace
}  // namespace quillora
