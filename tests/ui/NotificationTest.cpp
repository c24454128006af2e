#include "UiTestSupport.h"

#include "ui/Controls.h"
#include "ui/ListUI.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace quillora::ui::test {
namespace {

class NotificationTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseTestLayouts();
        ASSERT_TRUE(window.Create(nullptr, QStringLiteral("t")));
        window.ShowWindow();
        window.events.clear();
    }

    template <class T>
    T* Find(const char* name) {
        T* control = window.FindControl<T>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    TestWindow window;
};

TEST_F(NotificationTest, WindowInitArrivesOnceOnFirstShow) {
    TestWindow fresh;
    ASSERT_TRUE(fresh.Create(nullptr, QString()));
    EXPECT_EQ(fresh.Count(notify::kWindowInit), 0);
    fresh.ShowWindow();
    fresh.ShowWindow(false);
    fresh.ShowWindow();
    EXPECT_EQ(fresh.Count(notify::kWindowInit), 1);
}

TEST_F(NotificationTest, ButtonClickReportsClickWithSender) {
    auto* yes = Find<QPushButton>("btnYes");
    QTest::mouseClick(yes, Qt::LeftButton);
    EXPECT_EQ(window.Count(notify::kClick), 1);
    EXPECT_EQ(window.Count(notify::kClick, yes), 1);
    ASSERT_EQ(window.clicks.size(), 1u);
    EXPECT_EQ(window.clicks[0], yes);
    // A second AttachControls must not double the notifications.
    window.PaintManager().AttachControls(&window);
    QTest::mouseClick(yes, Qt::LeftButton);
    EXPECT_EQ(window.Count(notify::kClick, yes), 2);
}

TEST_F(NotificationTest, DisabledButtonReportsNothing) {
    window.EnableControl(QStringLiteral("btnYes"), false);
    QTest::mouseClick(Find<QPushButton>("btnYes"), Qt::LeftButton);
    EXPECT_EQ(window.Count(notify::kClick), 0);
}

TEST_F(NotificationTest, SliderMoveReportsValueChanged) {
    auto* slider = Find<QSlider>("sliderSize");
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    ASSERT_EQ(window.Count(notify::kValueChanged, slider), 1);
    EXPECT_EQ(window.events.back().wParam, 1);
    window.SetSliderValue(QStringLiteral("sliderSize"), 40);
    EXPECT_EQ(window.Count(notify::kValueChanged, slider), 2);
    EXPECT_EQ(window.events.back().wParam, 40);
    // The same value again is no change.
    window.SetSliderValue(QStringLiteral("sliderSize"), 40);
    EXPECT_EQ(window.Count(notify::kValueChanged, slider), 2);
}

TEST_F(NotificationTest, GroupedOptionReportsOnlyTheNewlySelected) {
    auto* red = Find<QRadioButton>("optRed");
    auto* blue = Find<QRadioButton>("optBlue");
    ASSERT_TRUE(red->isChecked());
    // optBlue sits in another container but shares the group.
    QTest::mouseClick(blue, Qt::LeftButton, {}, QPoint(4, blue->height() / 2));
    EXPECT_TRUE(blue->isChecked());
    EXPECT_FALSE(red->isChecked());
    EXPECT_EQ(window.Count(notify::kSelectChanged, blue), 1);
    EXPECT_EQ(window.Count(notify::kSelectChanged, red), 0);
    EXPECT_EQ(window.Count(notify::kSelectChanged), 1);
    EXPECT_EQ(window.Count(notify::kClick, blue), 1);

    // Clicking the selected option again changes nothing.
    QTest::mouseClick(blue, Qt::LeftButton, {}, QPoint(4, blue->height() / 2));
    EXPECT_EQ(window.Count(notify::kSelectChanged), 1);

    // Selecting by program reports the same way as by the mouse.
    window.SetCheck(QStringLiteral("optGreen"), true);
    EXPECT_EQ(window.Count(notify::kSelectChanged), 2);
    EXPECT_EQ(window.events.back().sender, window.FindControl(QStringLiteral("optGreen")));
    EXPECT_TRUE(window.GetCheck(QStringLiteral("optGreen")));
    EXPECT_FALSE(window.GetCheck(QStringLiteral("optBlue")));
}

TEST_F(NotificationTest, LoneCheckBoxReportsBothWays) {
    auto* keep = Find<QCheckBox>("optKeep");
    QTest::mouseClick(keep, Qt::LeftButton, {}, QPoint(4, keep->height() / 2));
    QTest::mouseClick(keep, Qt::LeftButton, {}, QPoint(4, keep->height() / 2));
    ASSERT_EQ(window.Count(notify::kSelectChanged, keep), 2);
    EXPECT_FALSE(keep->isChecked());
    EXPECT_EQ(window.events.back().wParam, 0);
}

TEST_F(NotificationTest, TypingReportsTextChangedButProgramTextDoesNot) {
    auto* edit = Find<QLineEdit>("edtValue");
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("12"));
    EXPECT_EQ(window.Count(notify::kTextChanged, edit), 2);
    window.SetText(QStringLiteral("edtValue"), QStringLiteral("99"));
    EXPECT_EQ(window.Count(notify::kTextChanged, edit), 2);
    EXPECT_EQ(window.GetText(QStringLiteral("edtValue")), QStringLiteral("99"));
    // Losing the focus reports killfocus.
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &out);
    EXPECT_EQ(window.Count(notify::kKillFocus, edit), 1);
}

TEST_F(NotificationTest, TabLayoutSelectReportsTabSelect) {
    auto* tabs = Find<QStackedWidget>("tabPages");
    EXPECT_EQ(CurrentTabIndex(tabs), 0);
    EXPECT_TRUE(SelectTabItem(tabs, 1));
    EXPECT_EQ(CurrentTabIndex(tabs), 1);
    EXPECT_EQ(window.Count(notify::kTabSelect, tabs), 1);
    EXPECT_FALSE(SelectTabItem(tabs, 2));
    EXPECT_FALSE(SelectTabItem(tabs, -1));
    EXPECT_EQ(CurrentTabIndex(tabs), 1);
    EXPECT_EQ(window.Count(notify::kTabSelect, tabs), 1);
}

TEST_F(NotificationTest, ListItemsReportClickAndSelectAndTheirButtons) {
    auto* list = Find<CListUI>("listItems");
    CListContainerElementUI* first =
        CListContainerElementUI::Build(QStringLiteral("list_item_test.xml"));
    CListContainerElementUI* second =
        CListContainerElementUI::Build(QStringLiteral("list_item_test.xml"));
    ASSERT_TRUE(ContainerAdd(list, first));
    ASSERT_TRUE(ContainerAdd(list, second));
    EXPECT_FALSE(list->Add(first));
    EXPECT_EQ(ContainerCount(list), 2);
    list->resize(300, 200);
    QApplication::processEvents();

    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(window.Count(notify::kItemClick, second), 1);
    EXPECT_EQ(window.Count(notify::kItemSelect, list), 1);
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_TRUE(second->IsSelected());

    // Buttons inside an item added after the window was built are wired too.
    auto* close = qobject_cast<QPushButton*>(
        CPaintManagerUI::FindSubControlByName(second, QStringLiteral("btnCloseItem")));
    ASSERT_NE(close, nullptr);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(window.Count(notify::kClick, close), 1);

    // Removing the selected item clears the selection; the other keeps its place.
    EXPECT_TRUE(ContainerRemove(list, second));
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_EQ(ContainerItemAt(list, 0), first);
    EXPECT_EQ(ContainerCount(list), 1);
    ContainerRemoveAll(list);
    EXPECT_EQ(ContainerCount(list), 0);
    QApplication::processEvents();
}

}  // namespace
}  // namespace quillora::ui::test
