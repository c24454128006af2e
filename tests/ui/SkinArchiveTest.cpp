#include "UiTestSupport.h"

#include "skin/SkinData.h"
#include "ui/DialogBuilder.h"

#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

namespace quillora::ui::test {
namespace {

class SkinArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        CPaintManagerUI::SetSkinPath(QString());
    }
    void TearDown() override { CPaintManagerUI::SetResourceZip(nullptr, 0); }
};

TEST_F(SkinArchiveTest, RejectsBytesThatAreNoArchive) {
    EXPECT_FALSE(CPaintManagerUI::SetResourceZip(nullptr, 0));
    const QByteArray garbage(64, 'x');
    EXPECT_FALSE(CPaintManagerUI::SetResourceZip(
        reinterpret_cast<const uchar*>(garbage.constData()), garbage.size()));
    // A real header whose offsets point past the end.
    const QByteArray archive = skin::EmbeddedArchive();
    ASSERT_GT(archive.size(), 64);
    const QByteArray truncated = archive.left(40);
    EXPECT_FALSE(CPaintManagerUI::SetResourceZip(
        reinterpret_cast<const uchar*>(truncated.constData()), truncated.size()));
    EXPECT_FALSE(CPaintManagerUI::HasResourceZip());
    EXPECT_EQ(CPaintManagerUI::ResourcePath(QStringLiteral("skin.xml")), QString());
}

TEST_F(SkinArchiveTest, EmbeddedArchiveHoldsTheWindowLayouts) {
    const QByteArray archive = skin::EmbeddedArchive();
    ASSERT_TRUE(CPaintManagerUI::SetResourceZip(reinterpret_cast<const uchar*>(archive.constData()),
                                                archive.size()));
    EXPECT_TRUE(CPaintManagerUI::HasResourceZip());
    for (const char* name : {"skin.xml", "HomeCtrl.xml", "dlg_message.xml", "dlg_setting.xml",
                             "dlg_about.xml", "main_menu.xml", "style.qss", "strings/en.txt"}) {
        EXPECT_EQ(CPaintManagerUI::ResourcePath(QString::fromLatin1(name)),
                  QStringLiteral(":/skin/") + QString::fromLatin1(name));
    }
}

TEST_F(SkinArchiveTest, EveryDialogLayoutBuilds) {
    const QByteArray archive = skin::EmbeddedArchive();
    ASSERT_TRUE(CPaintManagerUI::SetResourceZip(reinterpret_cast<const uchar*>(archive.constData()),
                                                archive.size()));
    QDirIterator it(QStringLiteral(":/skin"), {QStringLiteral("dlg_*.xml")}, QDir::Files);
    int built = 0;
    while (it.hasNext()) {
        it.next();
        std::unique_ptr<QWidget> body(CDialogBuilder::Create(it.fileName()));
        EXPECT_NE(body, nullptr) << it.fileName().toStdString() << ": "
                                 << CDialogBuilder::LastError().toStdString();
        ++built;
    }
    EXPECT_GE(built, 3);
}

TEST_F(SkinArchiveTest, EveryLanguageTableHasEveryEnglishKey) {
    const QByteArray archive = skin::EmbeddedArchive();
    ASSERT_TRUE(CPaintManagerUI::SetResourceZip(reinterpret_cast<const uchar*>(archive.constData()),
                                                archive.size()));
    auto read = [](const QString& language) {
        QFile file(QStringLiteral(":/skin/strings/%1.txt").arg(language));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << language.toStdString();
        return ParseStringTable(file.readAll());
    };
    const auto english = read(QStringLiteral("en"));
    ASSERT_FALSE(english.isEmpty());
    for (const char* language :
         {"cn", "tr", "jp", "ko", "de", "es", "fr", "pt", "ru", "id", "ar"}) {
        const auto table = read(QString::fromLatin1(language));
        for (auto it = english.cbegin(); it != english.cend(); ++it) {
            EXPECT_FALSE(table.value(it.key()).isEmpty())
                << language << " lacks " << it.key().toStdString();
        }
    }
}

}  // namespace
}  // namespace quillora::ui::test
