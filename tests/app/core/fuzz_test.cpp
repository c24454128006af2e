// Feeds thousands of damaged language files and INI files to the readers.
// The pseudo-random generator starts from a fixed value, so every run sees
// the same inputs and a failure can be replayed.

#include "app/core/language/LangLookup.h"

#include "platform/ini/IniFile.h"
#include "tests/app/core/LanguageFixture.h"

#include <glib.h>

#include <array>
#include <random>

namespace quillora {
namespace {

constexpr std::uint32_t kGeneratorStart = 0x5151A0u;

void IgnoreLibraryWarnings(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

class Mutator {
public:
    explicit Mutator(std::uint32_t start) : random_(start) {}

    int below(int limit) { return std::uniform_int_distribution<int>(0, limit - 1)(random_); }
    char byte() { return static_cast<char>(below(256)); }

    QByteArray randomBytes(int maxLength) {
        QByteArray bytes(below(maxLength + 1), '\0');
        for (char& b : bytes) {
            b = byte();
        }
        return bytes;
    }

    // Values that tend to break sector numbers, sizes and counts.
    std::uint32_t interestingWord() {
        static constexpr std::array<std::uint32_t, 12> kWords = {
            0u,      1u,          2u,          7u,          0x40u,       0x200u,
            0x1000u, 0x7FFFFFFFu, 0xFFFFFFFAu, 0xFFFFFFFCu, 0xFFFFFFFEu, 0xFFFFFFFFu};
        return kWords[below(static_cast<int>(kWords.size()))];
    }

    QByteArray mutateCompound(const QByteArray& valid) {
        QByteArray bytes = valid;
        switch (below(6)) {
            case 0:  // scattered byte changes
                for (int n = below(16) + 1; n > 0; --n) {
                    bytes[below(bytes.size())] = byte();
                }
                break;
            case 1:  // changes in the header, where the tables are found
                for (int n = below(4) + 1; n > 0; --n) {
                    bytes[below(512)] = byte();
                }
                break;
            case 2:  // truncation
                bytes.truncate(below(bytes.size()));
                break;
            case 3: {  // a 32-bit field of the header or a table set to an edge value
                const int offset = 4 * below(bytes.size() / 4);
                const std::uint32_t word = interestingWord();
                for (int i = 0; i < 4; ++i) {
                    bytes[offset + i] = static_cast<char>((word >> (8 * i)) & 0xFF);
                }
                break;
            }
            case 4:  // the signature followed by noise
                bytes = valid.left(8) + randomBytes(4096);
                break;
            default:  // noise appended
                bytes += randomBytes(2048);
                break;
        }
        return bytes;
    }

    QByteArray mutateIni(const QByteArray& valid) {
        static constexpr std::array<const char*, 14> kPieces = {
            "[",  "]", "=", ";",        "\n",           "\r",   "\r\n",
            "\"", "'", " ", "\xFF\xFE", "\xEF\xBB\xBF", "\xC3", "[Setting"};
        QByteArray bytes = valid;
        for (int n = below(8) + 1; n > 0; --n) {
            const int at = below(bytes.size() + 1);
            switch (below(4)) {
                case 0:
                    bytes.insert(at, kPieces[below(static_cast<int>(kPieces.size()))]);
                    break;
                case 1:
                    bytes.insert(at, '\0');
                    break;
                case 2:
                    bytes.remove(at, below(8));
                    break;
                default:
                    bytes.insert(at, randomBytes(16));
                    break;
            }
        }
        return below(10) == 0 ? randomBytes(2048) : bytes;
    }

private:
    std::mt19937 random_;
};

class FuzzTest : public test::LanguageFixture {
protected:
    void SetUp() override {
        LanguageFixture::SetUp();
        handler_ = g_log_set_default_handler(IgnoreLibraryWarnings, nullptr);
    }
    void TearDown() override {
        g_log_set_default_handler(handler_, nullptr);
        LanguageFixture::TearDown();
    }
    GLogFunc handler_ = nullptr;
};

TEST_F(FuzzTest, DamagedLanguageFilesGiveTextsOrTheDefault) {
    test::Entries ui;
    for (int i = 0; i < 40; ++i) {
        ui.emplace_back(QString("Key%1").arg(i), QString("Value number %1 ").repeated(i % 7 + 1));
    }
    // One stream above the small-stream size, so both storage paths occur.
    ui.emplace_back("Long", QString(3000, u'L'));
    writeLanguage({{"UI", ui}, {"Message", {{"Title", "Quillora"}, {"A", "B"}}}});
    const QByteArray valid = test::ReadBytes(languagePath());
    ASSERT_FALSE(valid.isEmpty());

    Mutator mutator(kGeneratorStart);
    int found = 0;
    for (int round = 0; round < 2500; ++round) {
        ASSERT_TRUE(test::WriteBytes(languagePath(), mutator.mutateCompound(valid)));
        for (const auto& [section, key] :
             {std::pair<const char16_t*, const char16_t*>{u"UI", u"Key7"},
              {u"UI", u"Long"},
              {u"Message", u"Title"},
              {u"Nope", u"Title"}}) {
            QString out;
            const bool ok =
                GetLangString(section, key, "dflt", out, kLangTextBufferUnits, languagePath());
            ASSERT_LT(out.size(), kLangTextBufferUnits);
            if (ok) {
                ++found;
            } else {
                ASSERT_EQ(out, "dflt");
            }
        }
    }
    // Most single changes leave some stream readable; all failing would mean
    // the reader refuses good data.
    EXPECT_GT(found, 1000);
}

TEST_F(FuzzTest, DamagedIniFilesReadAndEditConsistently) {
    const QByteArray valid =
        "; settings\n[Setting]\nSendAction=0\nTimestamp = 12abc\nAlpha=\"1\"\n\n"
        "[main]\nHasNewInstaller=1\n[LANG]\nLCID=1041\n";
    Mutator mutator(kGeneratorStart + 1);
    const QString path = app_.filePath("Config.ini");
    for (int round = 0; round < 3000; ++round) {
        const QByteArray bytes = mutator.mutateIni(valid);
        platform::IniDocument doc = platform::IniDocument::parse(bytes);
        const auto before = doc.value(u"LANG", u"LCID");
        platform::ReadProfileInt(doc, u"Setting", u"Timestamp", 1);
        platform::ReadProfileString(doc, u"main", u"HasNewInstaller");

        // Writing one key must read back and leave another key as it was.
        const QString value = QString("v%1").arg(round);
        ASSERT_TRUE(doc.setValue(u"Setting", u"SendAction", value));
        const platform::IniDocument again = platform::IniDocument::parse(doc.serialize());
        ASSERT_EQ(again.value(u"Setting", u"SendAction"), value) << bytes.toHex().toStdString();
        ASSERT_EQ(again.value(u"LANG", u"LCID"), before) << bytes.toHex().toStdString();

        if (round % 100 == 0) {
            ASSERT_TRUE(test::WriteBytes(path, bytes));
            platform::IniFile file(path);
            ASSERT_TRUE(file.writeInt(u"Setting", u"Alpha", round));
            ASSERT_EQ(file.readInt(u"Setting", u"Alpha", -1), round);
        }
    }
}

}  // namespace
}  // namespace quillora
