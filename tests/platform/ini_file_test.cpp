#include "platform/ini/IniFile.h"

#include "tests/platform/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillora::platform {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class IniFileTest : public ::testing::Test {
protected:
    QString path(const QString& name = "Config.ini") const { return dir_.filePath(name); }
    QStringList visibleFiles() const { return QDir(dir_.path()).entryList(QDir::Files); }

    QTemporaryDir dir_;
};

TEST_F(IniFileTest, MissingFileAndKeysGiveTheDefaults) {
    const IniFile ini(path("absent.ini"));
    EXPECT_EQ(ini.readInt(u"Setting", u"SendAction", 1), 1);
    EXPECT_EQ(ini.readString(u"UI", u"TitleText", "fallback"), "fallback");
    EXPECT_FALSE(ini.hasKey(u"UI", u"TitleText"));
    EXPECT_TRUE(ini.keys(u"UI").isEmpty());
}

TEST_F(IniFileTest, IntegersReadLikeTheProfileCall) {
    ASSERT_TRUE(WriteBytes(path(), "[S]\nA=12abc\nB= 7\nC=-3\nD=0x10\nE=\nF=\"\"\nG=abc\nH=  \n"));
    const IniFile ini(path());
    EXPECT_EQ(ini.readInt(u"S", u"A", 99), 12);
    EXPECT_EQ(ini.readInt(u"S", u"B", 99), 7);
    EXPECT_EQ(ini.readInt(u"S", u"C", 99), -3);
    EXPECT_EQ(ini.readInt(u"S", u"D", 99), 16);
    // An empty value is the default; a value without digits is 0.
    EXPECT_EQ(ini.readInt(u"S", u"E", 99), 99);
    EXPECT_EQ(ini.readInt(u"S", u"F", 99), 99);
    EXPECT_EQ(ini.readInt(u"S", u"G", 99), 0);
    EXPECT_EQ(ini.readInt(u"S", u"H", 99), 99);
}

TEST_F(IniFileTest, StringsAreCutAtTheBuffer) {
    const QString longValue(300, u'x');
    ASSERT_TRUE(WriteBytes(path(), "[UI]\nTitleText=" + longValue.toUtf8() + "\n"));
    const IniFile ini(path());
    EXPECT_EQ(ini.readString(u"UI", u"TitleText").size(), 259);
    EXPECT_EQ(ini.readString(u"UI", u"TitleText", {}, 16), QString(15, u'x'));
    EXPECT_EQ(ini.readString(u"UI", u"Missing", longValue).size(), 259);
    EXPECT_EQ(ini.readString(u"UI", u"TitleText", {}, 0), QString());
}

TEST(CutToBuffer, NeverLeavesHalfASurrogatePair) {
    const QString text = QString(3, u'a') + QString::fromUcs4(U"\U0001F600");  // 5 units
    EXPECT_EQ(CutToBuffer(text, 6), text);
    EXPECT_EQ(CutToBuffer(text, 5), QString(3, u'a'));
    EXPECT_EQ(CutToBuffer(text, 4), QString(3, u'a'));
    EXPECT_EQ(CutToBuffer(text, 1), QString());
}

TEST_F(IniFileTest, WritesReadBackAndKeepTheRestOfTheFile) {
    ASSERT_TRUE(WriteBytes(path(), "; note\n[Setting]\nSendAction=1\n"));
    IniFile ini(path());
    ASSERT_TRUE(ini.writeInt(u"Setting", u"Timestamp", -12));
    ASSERT_TRUE(ini.writeString(u"setting", u"sendaction", u"0"));
    ASSERT_TRUE(ini.writeString(u"UI", u"Title", u"Quillora \u5199\u771f"));
    EXPECT_EQ(ini.readInt(u"Setting", u"Timestamp", 0), -12);
    EXPECT_EQ(ini.readInt(u"Setting", u"SendAction", 1), 0);
    EXPECT_EQ(ini.readString(u"UI", u"Title"), QStringLiteral("Quillora \u5199\u771f"));
    EXPECT_TRUE(ReadBytes(path()).startsWith("; note\n[Setting]\nSendAction=0\n"));
}

TEST_F(IniFileTest, WriteLeavesNoTemporaryFileAndKeepsPermissions) {
    ASSERT_TRUE(WriteBytes(path(), "[A]\nk=1\n"));
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0600), 0);
    IniFile ini(path());
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(ini.writeInt(u"A", u"k", i));
    }
    EXPECT_EQ(visibleFiles(), QStringList{"Config.ini"});
    const QStringList hidden = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(hidden, (QStringList{".Config.ini.lock", "Config.ini"}));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(IniFileTest, WriteIntoAMissingFolderFailsAndCreatesNothing) {
    IniFile ini(dir_.filePath("no/such/folder/Config.ini"));
    EXPECT_FALSE(ini.writeInt(u"A", u"k", 1));
    EXPECT_FALSE(QFileInfo::exists(dir_.filePath("no")));
}

TEST_F(IniFileTest, DeleteKey) {
    IniFile ini(path());
    EXPECT_TRUE(ini.deleteKey(u"A", u"k"));
    EXPECT_FALSE(QFileInfo::exists(path()));
    ASSERT_TRUE(ini.writeInt(u"A", u"k", 1));
    ASSERT_TRUE(ini.writeInt(u"A", u"j", 2));
    EXPECT_TRUE(ini.deleteKey(u"a", u"K"));
    EXPECT_FALSE(ini.hasKey(u"A", u"k"));
    EXPECT_EQ(ini.readInt(u"A", u"j", 0), 2);
}

TEST_F(IniFileTest, BadFilesGiveDefaultsAndStayWritable) {
    QByteArray binary;
    for (int i = 0; i < 4096; ++i) {
        binary.append(static_cast<char>((i * 131 + 7) % 256));
    }
    const QList<QByteArray> badFiles = {
        binary,
        "[Setting]\nSendAct",        // truncated
        "[Setting\nSendAction=0\n",  // section never closes
        "[Setting]\nSendAction\n",   // no "="
        QByteArray("[Setting]\nSend\0Action=0\n", 24),
        "\xFF\xFE[\0S\0",                                  // truncated UTF-16
        "[Setting]\n" + QByteArray(10 << 20, 'v') + "\n",  // 10 MB line
    };
    for (const QByteArray& bytes : badFiles) {
        ASSERT_TRUE(WriteBytes(path(), bytes));
        IniFile ini(path());
        EXPECT_EQ(ini.readInt(u"Setting", u"SendAction", 1), 1);
        EXPECT_TRUE(ini.writeInt(u"Setting", u"SendAction", 0));
        EXPECT_EQ(ini.readInt(u"Setting", u"SendAction", 1), 0);
    }
}

TEST_F(IniFileTest, ALongLineDoesNotHideTheKeysAfterIt) {
    ASSERT_TRUE(WriteBytes(path(), "[A]\nlong=" + QByteArray(10 << 20, 'x') + "\n[B]\nk=5\n"));
    const IniFile ini(path());
    EXPECT_EQ(ini.readInt(u"B", u"k", 0), 5);
    EXPECT_EQ(ini.readString(u"A", u"long").size(), 259);
}

TEST_F(IniFileTest, OversizedFileReadsAsEmptyAndIsNeverReplaced) {
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[A]\nk=1\n");
        ASSERT_TRUE(file.resize(IniFile::kMaxFileBytes + 1));
    }
    IniFile ini(path());
    EXPECT_EQ(ini.readInt(u"A", u"k", 7), 7);
    EXPECT_FALSE(ini.writeInt(u"A", u"k", 2));
    EXPECT_EQ(QFileInfo(path()).size(), IniFile::kMaxFileBytes + 1);
}

TEST_F(IniFileTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kKeysPerWriter = 40;
    const QString file = path();
    std::vector<pid_t> children;
    for (int writer = 0; writer < 2; ++writer) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            IniFile ini(file);
            bool ok = true;
            for (int i = 0; i < kKeysPerWriter; ++i) {
                ok = ini.writeInt(QString("Writer%1").arg(writer), QString("k%1").arg(i), i) && ok;
            }
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const IniDocument doc = IniFile(file).load();
    for (int writer = 0; writer < 2; ++writer) {
        EXPECT_EQ(doc.keys(QString("Writer%1").arg(writer)).size(), kKeysPerWriter);
    }
}

}  // namespace
}  // namespace quillora::platform
