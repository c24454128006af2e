#pragma once

#include "app/core/language/CompoundFile.h"
#include "app/core/language/LangStream.h"
#include "app/core/language/LanguageState.h"
#include "app/core/language/LanguageTable.h"
#include "tests/platform/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace quillora::test {

using Entries = std::vector<std::pair<QString, QString>>;

// An application folder and a user data folder of the test's own, with a
// language/ folder where the test writes language files.
class LanguageFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app_.isValid() && user_.isValid());
        ASSERT_TRUE(QDir(app_.path()).mkpath("language"));
        appEnv_ = std::make_unique<ScopedEnv>("QUILLORA_APP_DIR", app_.path());
        userEnv_ = std::make_unique<ScopedEnv>("QUILLORA_USER_DATA", user_.path());
        SetCurrentLanguageId(kEnglishLanguageId);
    }
    void TearDown() override { SetCurrentLanguageId(kDefaultLanguageId); }

    QString languagePath(const QString& fileName = "en.dat") const {
        return app_.filePath("language/" + fileName);
    }

    // Writes a language file with the given sections, each stored as the
    // program stores them.
    void writeLanguage(const std::vector<std::pair<QString, Entries>>& sections,
                       const QString& fileName = "en.dat") const {
        std::vector<std::pair<QString, QByteArray>> streams;
        for (const auto& [name, entries] : sections) {
            streams.emplace_back(name, lang::EncodeSection(entries));
        }
        ASSERT_TRUE(lang::WriteCompoundFile(languagePath(fileName), streams));
    }

    // Writes a language file whose one stream holds exactly these bytes.
    void writeRawStream(const QString& section, const QByteArray& bytes,
                        const QString& fileName = "en.dat") const {
        ASSERT_TRUE(lang::WriteCompoundFile(languagePath(fileName), {{section, bytes}}));
    }

    QTemporaryDir app_;
    QTemporaryDir user_;
    std::unique_ptr<ScopedEnv> appEnv_;
    std::unique_ptr<ScopedEnv> userEnv_;
};

}  // namespace quillora::test
