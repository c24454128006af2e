#include "tools/langpack/KeyList.h"
#include "tools/langpack/LangSource.h"

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/LanguageTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillora {
// Names the language in test output instead of dumping its bytes.
inline void PrintTo(const LanguageInfo& info, std::ostream* out) {
    *out << info.code;
}
}  // namespace quillora

namespace quillora::langpack {
namespace {

const QString kSourceDir = QStringLiteral(QUILLORA_LANGUAGE_SOURCE_DIR);
const QString kPackedDir = QStringLiteral(QUILLORA_PACKED_LANGUAGE_DIR);

// The values the local reference service shares with the language files.
const QString kApiKey = QStringLiteral("qlr-cfg-7f3a9c2e51d84b06");
const QString kTarnApiKey = QStringLiteral("qlr-mat-4b8e2d6a90c17f35");
const QString kSmsKey = QStringLiteral("qlr-sms-2c5f8a1e7d3b9046");

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<ListedKey> ShippedKeyList() {
    std::vector<ListedKey> keys;
    QStringList errors;
    EXPECT_TRUE(ParseKeyList(ReadFile(kSourceDir + "/keys.txt"), keys, errors));
    return keys;
}

LangSource ShippedSource(const QString& code) {
    LangSource source;
    QStringList errors;
    EXPECT_TRUE(ParseLangSource(ReadFile(kSourceDir + "/" + code + ".txt"), source, errors))
        << code.toStdString() << ": " << errors.join('\n').toStdString();
    return source;
}

QString Value(const LangSource& source, const QString& section, const QString& key) {
    if (const SourceSection* s = source.section(section)) {
        for (const auto& [k, v] : s->entries) {
            if (k == key) {
                return v;
            }
        }
    }
    return {};
}

class ShippedLanguage : public ::testing::TestWithParam<LanguageInfo> {
protected:
    QString code() const { return QString::fromLatin1(GetParam().code); }
};

TEST_P(ShippedLanguage, SourceHasEveryKeyWithTheConversionsOfTheList) {
    QStringList errors;
    EXPECT_TRUE(CheckAgainstKeyList(ShippedSource(code()), ShippedKeyList(), errors))
        << errors.join('\n').toStdString();
}

TEST_P(ShippedLanguage, PackedFileReadsBackEveryEntry) {
    const LangSource source = ShippedSource(code());
    const QString packed = kPackedDir + "/" + LanguageFileName(GetParam().languageId);
    ASSERT_TRUE(QFileInfo::exists(packed)) << packed.toStdString();
    int entries = 0;
    for (const SourceSection& section : source.sections) {
        for (const auto& [key, value] : section.entries) {
            QString out;
            EXPECT_TRUE(GetLangString(section.name, key, {}, out, kLangTextBufferUnits, packed))
                << key.toStdString();
            EXPECT_EQ(out, value) << key.toStdString();
            ++entries;
        }
    }
    EXPECT_EQ(entries, static_cast<int>(ShippedKeyList().size()));
}

TEST_P(ShippedLanguage, TextsFitAndNameWhatTheProgramNeeds) {
    const LangSource source = ShippedSource(code());
    for (const SourceSection& section : source.sections) {
        for (const auto& [key, value] : section.entries) {
            // LangText keeps 259 units; a longer text would be cut.
            EXPECT_LT(value.size(), kLangTextBufferUnits) << key.toStdString();
            EXPECT_FALSE(value.trimmed().isEmpty()) << key.toStdString();
        }
    }
    EXPECT_EQ(Value(source, "UI", "ApiKey"), kApiKey);
    EXPECT_EQ(Value(source, "UI", "TarnApiKey"), kTarnApiKey);
    EXPECT_EQ(Value(source, "UI", "SMSKey"), kSmsKey);
    EXPECT_EQ(Value(source, "UI", "DefDrawFont"), "DejaVu Sans");
    EXPECT_TRUE(Value(source, "UI", "ProductName").contains("Quillora"));
    EXPECT_EQ(Value(source, "UI", "Information"), "notes_" + code());
    // Both become folder names inside a folder the user picked.
    for (const char* key : {"OutputPath", "LogFile"}) {
        const QString name = Value(source, "UI", key);
        EXPECT_FALSE(name.contains('/') || name.contains('\\') || name == "." || name == "..")
            << key;
        EXPECT_EQ(name, name.trimmed()) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, ShippedLanguage,
                         ::testing::ValuesIn(Languages().begin(), Languages().end()),
                         [](const auto& info) { return std::string(info.param.code); });

TEST(ShippedLanguages, EveryFileIsPackedAndTheInformationNamesDiffer) {
    QSet<QString> notes;
    for (const LanguageInfo& language : Languages()) {
        notes.insert(Value(ShippedSource(QString::fromLatin1(language.code)), "UI", "Information"));
    }
    EXPECT_EQ(notes.size(), static_cast<qsizetype>(Languages().size()));
    const QStringList packed = QDir(kPackedDir).entryList({"*.dat"}, QDir::Files);
    EXPECT_EQ(packed.size(), static_cast<qsizetype>(Languages().size()));
}

TEST(ShippedLanguages, KeyConstantsMatchTheKeyList) {
    const std::vector<ListedKey> keys = ShippedKeyList();
    QSet<QString> listed;
    for (const ListedKey& key : keys) {
        listed.insert(key.section + "/" + key.key);
    }
    QSet<QString> constants;
    for (const LangKey& key : langkey::kAll) {
        const auto name = DecodeLangKey(QByteArrayView(key.base64.data(), key.base64.size()));
        ASSERT_TRUE(name) << key.base64;
        constants.insert(QString::fromLatin1(key.section.data(), key.section.size()) + "/" + *name);
    }
    EXPECT_EQ(constants, listed);
    EXPECT_EQ(constants.size(), static_cast<qsizetype>(std::size(langkey::kAll)));
}

TEST(LangpackProgram, StopsTheBuildOnABadSource) {
    QTemporaryDir dir;
    QFile bad(dir.filePath("xx.txt"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("[UI]\nProductName=Quillora\n");
    bad.close();
    QProcess packer;
    packer.start(QStringLiteral(QUILLORA_LANGPACK_PROGRAM),
                 {"--keys", kSourceDir + "/keys.txt", "--out", dir.path(), bad.fileName()});
    ASSERT_TRUE(packer.waitForFinished(30000));
    EXPECT_EQ(packer.exitCode(), 1);
    EXPECT_TRUE(packer.readAllStandardError().contains("is missing"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("xx.dat")));
}

TEST(LangpackProgram, PacksAShippedSource) {
    QTemporaryDir dir;
    QProcess packer;
    packer.start(QStringLiteral(QUILLORA_LANGPACK_PROGRAM),
                 {"--keys", kSourceDir + "/keys.txt", "--out", dir.path(), kSourceDir + "/de.txt"});
    ASSERT_TRUE(packer.waitForFinished(30000));
    EXPECT_EQ(packer.exitCode(), 0) << packer.readAllStandardError().toStdString();
    QString out;
    EXPECT_TRUE(GetLangString(u"UI", u"Close", {}, out, 260, dir.filePath("de.dat")));
    EXPECT_EQ(out, QStringLiteral("Schließen"));
}

}  // namespace
}  // namespace quillora::langpack
