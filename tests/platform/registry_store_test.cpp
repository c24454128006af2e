#include "platform/registry/RegistryStore.h"

#include "tests/platform/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillora::platform {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class RegistryStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir_;
    RegistryStore store_{dir_.filePath("registry.ini")};
};

TEST_F(RegistryStoreTest, TypedValuesRoundTrip) {
    ASSERT_TRUE(store_.writeDword(kQuilloraRegistryKey, u"UpdateDay", 31));
    ASSERT_TRUE(store_.writeDword(kQuilloraRegistryKey, u"UpDumpDay", 0xFFFFFFFFu));
    ASSERT_TRUE(store_.writeString(kQuilloraRegistryKey, u"adid", u"web"));
    EXPECT_EQ(store_.readDword(kQuilloraRegistryKey, u"updateday"), 31u);
    EXPECT_EQ(store_.readDword(kQuilloraRegistryKey, u"UpDumpDay"), 0xFFFFFFFFu);
    EXPECT_EQ(store_.readString(u"software\\QUILLORA", u"ADID"), QString("web"));
    // A value of the other type reads as missing, as a typed registry read does.
    EXPECT_FALSE(store_.readString(kQuilloraRegistryKey, u"UpdateDay"));
    EXPECT_FALSE(store_.readDword(kQuilloraRegistryKey, u"adid"));
    EXPECT_TRUE(store_.hasValue(kQuilloraRegistryKey, u"adid"));
    EXPECT_TRUE(store_.hasValue(kQuilloraRegistryKey, u"UpdateDay"));
    EXPECT_FALSE(store_.hasValue(kQuilloraRegistryKey, u"partner"));
}

TEST_F(RegistryStoreTest, AnyStringSurvives) {
    const QList<QString> values = {
        QString(),
        QStringLiteral("  edge blanks  "),
        QStringLiteral("\"quoted\""),
        QStringLiteral("'single'"),
        QStringLiteral("a=b;c [d] \\e\\\\f"),
        QStringLiteral("line1\nline2\r\n[Injected]\nk=v"),
        QStringLiteral("tab\there \\u0041 literal"),
        QString::fromUtf8("\xE5\x86\x99\xE7\x9C\x9F \xF0\x9F\x98\x80"),
        QString(5000, u'j'),
    };
    for (const QString& value : values) {
        ASSERT_TRUE(store_.writeString(kQuilloraRegistryKey, u"jwt", value));
        EXPECT_EQ(store_.readString(kQuilloraRegistryKey, u"jwt"), value);
    }
    EXPECT_FALSE(ReadBytes(store_.filePath()).contains("[Injected]"));
}

TEST_F(RegistryStoreTest, DamagedValuesReadAsMissing) {
    ASSERT_TRUE(WriteBytes(store_.filePath(),
                           "[Software\\Quillora]\n"
                           "a=dword:abc\n"
                           "b=dword:4294967296\n"
                           "c=dword:-1\n"
                           "d=plain\n"
                           "e=sz:bad\\escape\n"
                           "f=sz:\\u00zz\n"
                           "g=dword:7\n"));
    for (const char16_t* name : {u"a", u"b", u"c", u"d"}) {
        EXPECT_FALSE(store_.readDword(kQuilloraRegistryKey, name))
            << QString::fromUtf16(name).toStdString();
    }
    EXPECT_FALSE(store_.readString(kQuilloraRegistryKey, u"e"));
    EXPECT_FALSE(store_.readString(kQuilloraRegistryKey, u"f"));
    EXPECT_EQ(store_.readDword(kQuilloraRegistryKey, u"g"), 7u);
}

TEST_F(RegistryStoreTest, DeleteAndKeysAreSeparate) {
    ASSERT_TRUE(store_.writeDword(kQuilloraRegistryKey, u"CloseConfirm", 0));
    ASSERT_TRUE(store_.writeString(u"Software\\Tool", u"Path", u"/opt/tool"));
    EXPECT_TRUE(store_.deleteValue(kQuilloraRegistryKey, u"closeconfirm"));
    EXPECT_FALSE(store_.hasValue(kQuilloraRegistryKey, u"CloseConfirm"));
    EXPECT_TRUE(store_.deleteValue(kQuilloraRegistryKey, u"CloseConfirm"));
    EXPECT_FALSE(store_.hasValue(kQuilloraRegistryKey, u"Path"));
    EXPECT_EQ(store_.readString(u"Software\\Tool", u"Path"), QString("/opt/tool"));
}

TEST(RegistryStoreFiles, UserAndMachineStoresFollowTheirFolders) {
    QTemporaryDir user;
    QTemporaryDir app;
    const test::ScopedEnv userEnv("QUILLORA_USER_DATA", user.path());
    const test::ScopedEnv appEnv("QUILLORA_APP_DIR", app.path());
    EXPECT_EQ(RegistryStore::ForUser().filePath(), user.filePath("registry.ini"));
    EXPECT_EQ(RegistryStore::ForMachine().filePath(), app.filePath("registry.ini"));
}

TEST(RegistryEscaping, EscapedTextHasNoLineBreaksOrEdgeBlanks) {
    const QString escaped = EscapeRegistryString(u" a\nb\\ ");
    EXPECT_EQ(escaped, QStringLiteral("\\u0020a\\u000ab\\\\\\u0020"));
    EXPECT_EQ(UnescapeRegistryString(escaped), QString(" a\nb\\ "));
    EXPECT_FALSE(UnescapeRegistryString(u"trailing\\"));
    EXPECT_FALSE(UnescapeRegistryString(u"\\u12"));
}

}  // namespace
}  // namespace quillora::platform
