#include "tools/langpack/LangSource.h"

#include <gtest/gtest.h>

namespace quillora::langpack {
namespace {

TEST(LangSource, ParsesSectionsEntriesAndEscapes) {
    LangSource source;
    QStringList errors;
    ASSERT_TRUE(
        ParseLangSource("\xEF\xBB\xBF# comment\r\n"
                        "[UI]\r\n"
                        "ProductName=Quillora \xE5\x86\x99\xE7\x9C\x9F\r\n"
                        "  ; another comment\n"
                        "\n"
                        "Multi=line one\\nline two\\t\\\\end\n"
                        "Equals=a=b \n"
                        "Empty=\n"
                        "[Message]\n"
                        "Title=Quillora",
                        source, errors))
        << errors.join('\n').toStdString();
    ASSERT_EQ(source.sections.size(), 2u);
    const SourceSection* ui = source.section("UI");
    ASSERT_NE(ui, nullptr);
    ASSERT_EQ(ui->entries.size(), 4u);
    EXPECT_EQ(ui->entries[0].second, QStringLiteral("Quillora 写真"));
    EXPECT_EQ(ui->entries[1].second, "line one\nline two\t\\end");
    EXPECT_EQ(ui->entries[2].second, "a=b ");
    EXPECT_EQ(ui->entries[3].second, "");
    EXPECT_EQ(source.section("Message")->entries[0].second, "Quillora");
    EXPECT_EQ(source.section("ui"), nullptr);
}

TEST(LangSource, ReportsEveryBadLineWithItsNumber) {
    LangSource source;
    QStringList errors;
    EXPECT_FALSE(
        ParseLangSource("Early=1\n"                             // 1
                        "[UI]\n"                                // 2
                        "NoEquals\n"                            // 3
                        "Bad Key=1\n"                           // 4
                        "Esc=\\q\n"                             // 5
                        "Dup=1\n"                               // 6
                        "Dup=2\n"                               // 7
                        "[UI]\n"                                // 8
                        "[Unclosed\n"                           // 9
                        "[ABCDEFGHIJKLMNOPQRSTUVWXYZ123456]\n"  // 10
                        "Trail=end\\\n",                        // 11
                        source, errors));
    ASSERT_EQ(errors.size(), 9) << errors.join('\n').toStdString();
    const QStringList expectedLines = {"line 1:", "line 3:", "line 4:",  "line 5:", "line 7:",
                                       "line 8:", "line 9:", "line 10:", "line 11:"};
    for (qsizetype i = 0; i < errors.size(); ++i) {
        EXPECT_TRUE(errors[i].startsWith(expectedLines[i])) << errors[i].toStdString();
    }
}

TEST(LangSource, RefusesTextThatIsNotUtf8) {
    LangSource source;
    QStringList errors;
    EXPECT_FALSE(ParseLangSource("[UI]\nA=\xC3\x28\n", source, errors));
    EXPECT_FALSE(errors.isEmpty());
}

}  // namespace
}  // namespace quillora::langpack
