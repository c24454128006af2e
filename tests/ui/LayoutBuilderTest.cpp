#include "UiTestSupport.h"

#include "ui/Controls.h"
#include "ui/DialogBuilder.h"
#include "ui/ListUI.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include <memory>

namespace quillora::ui::test {
namespace {

class LayoutBuilderTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestLayouts(); }
};

TEST_F(LayoutBuilderTest, BuildsWindowAndFindsControlsByName) {
    TestWindow window;
    ASSERT_TRUE(window.Create(nullptr, QStringLiteral("t")));
    EXPECT_TRUE(window.IsWindow());
    EXPECT_NE(window.FindControl<QPushButton>(QStringLiteral("btnYes")), nullptr);
    EXPECT_NE(window.FindControl<QStackedWidget>(QStringLiteral("tabPages")), nullptr);
    EXPECT_EQ(window.FindControl(QStringLiteral("DlgFrame")), window.Body());
    EXPECT_EQ(window.FindControl(QStringLiteral("btnNotThere")), nullptr);
    EXPECT_EQ(window.FindControl(QString()), nullptr);
    // The layout root's size is the body's; the frame adds its margin around it.
    EXPECT_EQ(window.Body()->size(), QSize(480, 360));
    const int margin = window.ShadowMargin();
    EXPECT_EQ(window.size(), QSize(480 + 2 * margin, 360 + 2 * margin));

    QWidget* row = window.FindControl(QStringLiteral("layMoreOptions"));
    EXPECT_EQ(CPaintManagerUI::FindSubControlByName(row, QStringLiteral("optBlue")),
              window.FindControl(QStringLiteral("optBlue")));
    EXPECT_EQ(CPaintManagerUI::FindSubControlByName(row, QStringLiteral("optRed")), nullptr);
}

TEST_F(LayoutBuilderTest, ClassNameCallbackCreatesProgramControls) {
    TestWindow window;
    ASSERT_TRUE(window.Create(nullptr, QString()));
    auto* panel = qobject_cast<TestPanel*>(window.FindControl(QStringLiteral("pagePanel")));
    ASSERT_NE(panel, nullptr);
    EXPECT_NE(CPaintManagerUI::FindSubControlByName(panel, QStringLiteral("labPanel")), nullptr);
    // The library's own classes are known without the callback.
    EXPECT_NE(window.FindControl<CListUI>(QStringLiteral("listItems")), nullptr);

    TestWindow without(QStringLiteral("test_window.xml"), false);
    ASSERT_TRUE(without.Create(nullptr, QString()));
    QWidget* plain = without.FindControl(QStringLiteral("pagePanel"));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(qobject_cast<TestPanel*>(plain), nullptr);
}

TEST_F(LayoutBuilderTest, MissingOrBrokenLayoutFailsCleanly) {
    EXPECT_EQ(CDialogBuilder::Create(QStringLiteral("no_such_layout.xml")), nullptr);
    EXPECT_TRUE(CDialogBuilder::LastError().contains(QStringLiteral("no_such_layout.xml")));
    EXPECT_EQ(CDialogBuilder::Create(QStringLiteral("broken.xml")), nullptr);

    TestWindow window(QStringLiteral("no_such_layout.xml"));
    EXPECT_FALSE(window.Create(nullptr, QString()));
    EXPECT_FALSE(window.IsWindow());
    EXPECT_EQ(window.ShowModal(), -1);
    // Named operations on a window without controls do nothing.
    window.SetText(QStringLiteral("btnYes"), QStringLiteral("x"));
    EXPECT_EQ(window.GetText(QStringLiteral("btnYes")), QString());
    EXPECT_TRUE(window.GetControlPos(QStringLiteral("btnYes")).isNull());
}

TEST_F(LayoutBuilderTest, UserDataComesFromTheLayout) {
    TestWindow window;
    ASSERT_TRUE(window.Create(nullptr, QString()));
    EXPECT_EQ(UserData(window.FindControl(QStringLiteral("optGreen"))), QStringLiteral("00FF00"));
    EXPECT_EQ(UserData(window.FindControl(QStringLiteral("btnYes"))), QString());
    SetUserData(window.FindControl(QStringLiteral("btnYes")), QStringLiteral("1700000000000000"));
    EXPECT_EQ(UserData(window.FindControl(QStringLiteral("btnYes"))),
              QStringLiteral("1700000000000000"));
}

class FixedSupplier : public IReloadControlText {
public:
    QString GetControlText(const QString& id) override {
        return id == QLatin1String("TestCaption") ? QStringLiteral("Supplied") : QString();
    }
};

TEST_F(LayoutBuilderTest, TextIdsResolveThroughSupplierThenStringTable) {
    CSkinManager::LoadStringTable(QStringLiteral("de"));
    FixedSupplier supplier;
    CSkinManager::SetTextReloadInterface(&supplier);
    TestWindow window;
    ASSERT_TRUE(window.Create(nullptr, QString()));
    EXPECT_EQ(window.GetText(QStringLiteral("caption")), QStringLiteral("Supplied"));
    // German has its own text; the tip falls back to English.
    EXPECT_EQ(window.GetText(QStringLiteral("btnYes")), QStringLiteral("Ja"));
    EXPECT_EQ(window.FindControl(QStringLiteral("btnYes"))->toolTip(),
              QStringLiteral("English tip"));
    EXPECT_EQ(window.FindControl<QLineEdit>(QStringLiteral("edtValue"))->placeholderText(),
              QStringLiteral("Type\nhere"));
    CSkinManager::SetTextReloadInterface(nullptr);
}

TEST_F(LayoutBuilderTest, ListItemBuiltTwiceFromOneLayoutGivesIndependentControls) {
    std::unique_ptr<CListContainerElementUI> first(
        CListContainerElementUI::Build(QStringLiteral("list_item_test.xml")));
    std::unique_ptr<CListContainerElementUI> second(
        CListContainerElementUI::Build(QStringLiteral("list_item_test.xml")));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    QWidget* firstName =
        CPaintManagerUI::FindSubControlByName(first.get(), QStringLiteral("labName"));
    QWidget* secondName =
        CPaintManagerUI::FindSubControlByName(second.get(), QStringLiteral("labName"));
    ASSERT_NE(firstName, nullptr);
    ASSERT_NE(secondName, nullptr);
    EXPECT_NE(firstName, secondName);
    SetWidgetText(firstName, QStringLiteral("a.png"));
    EXPECT_EQ(WidgetText(secondName), QString());
    EXPECT_EQ(CListContainerElementUI::Build(QStringLiteral("missing_item.xml")), nullptr);
}

TEST(StringTableTest, ParsesKeysValuesCommentsAndBreaks) {
    const auto table = ParseStringTable(
        "# comment\n"
        "Plain=Hello\r\n"
        " Spaced = two words \n"
        "Equals=a=b=c\n"
        "NoEquals\n"
        "=novalue\n"
        "Break=one\\ntwo\n"
        "Unicode=\xE4\xBD\xA0\xE5\xA5\xBD\n");
    EXPECT_EQ(table.value(QStringLiteral("Plain")), QStringLiteral("Hello"));
    EXPECT_EQ(table.value(QStringLiteral("Spaced")), QStringLiteral("two words"));
    EXPECT_EQ(table.value(QStringLiteral("Equals")), QStringLiteral("a=b=c"));
    EXPECT_EQ(table.value(QStringLiteral("Break")), QStringLiteral("one\ntwo"));
    EXPECT_EQ(table.value(QStringLiteral("Unicode")),
              QString::fromUtf8("\xE4\xBD\xA0\xE5\xA5\xBD"));
    EXPECT_FALSE(table.contains(QStringLiteral("NoEquals")));
    EXPECT_EQ(table.size(), 5);
}

}  // namespace
}  // namespace quillora::ui::test
