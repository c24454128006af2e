// The tool panels bound to a real canvas in a window built from the shipped
// panel layouts.
#include "canvas/document/ParameterGroups.h"
#include "canvas/widgets/CDrawPanel.h"
#include "ui/Controls.h"
#include "ui/ListUI.h"
#include "ui/PaintManager.h"
#include "ui/PictureUI.h"
#include "ui/TextSupplier.h"
#include "ui/WindowImplBase.h"
#include "workspace/core/panels/OptionPresets.h"
#include "workspace/core/panels/PanelParameters.h"
#include "workspace/panels/ToolPanelControls.h"
#include "workspace/panels/ToolPanels.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace quillora {
namespace {

using panels::SliderRow;

QApplication& App() {
    static int argc = 1;
    static char name[] = "tool-panels-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The page around the panels, as the single page holds them: the main tab
// layout, the view switch, the five tool tabs and their pages.
constexpr char kTestLayout[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>TestPanels</class>
 <widget class="QWidget" name="layTestRoot">
  <layout class="QVBoxLayout" name="colTestRoot">
   <item>
    <widget class="QStackedWidget" name="tabMain">
     <widget class="QWidget" name="pageHome"/>
     <widget class="QWidget" name="pageConver">
      <layout class="QVBoxLayout" name="colConver">
       <item><widget class="QPushButton" name="optTabOrg"><property name="checkable"><bool>true</bool></property><property name="checked"><bool>true</bool></property><property name="group" stdset="0"><string>view</string></property></widget></item>
       <item><widget class="QPushButton" name="optTabEff"><property name="checkable"><bool>true</bool></property><property name="group" stdset="0"><string>view</string></property></widget></item>
       <item><widget class="QPushButton" name="optQuillora"><property name="checkable"><bool>true</bool></property><property name="checked"><bool>true</bool></property><property name="group" stdset="0"><string>toolTab</string></property></widget></item>
       <item><widget class="QPushButton" name="optShadowBorder"><property name="checkable"><bool>true</bool></property><property name="group" stdset="0"><string>toolTab</string></property></widget></item>
       <item><widget class="QPushButton" name="optFilterToning"><property name="checkable"><bool>true</bool></property><property name="group" stdset="0"><string>toolTab</string></property></widget></item>
       <item><widget class="QPushButton" name="optChangeBg"><property name="checkable"><bool>true</bool></property><property name="group" stdset="0"><string>toolTab</string></property></widget></item>
       <item><widget class="QPushButton" name="optChangeSize"><property name="checkable"><bool>true</bool></property><property name="group" stdset="0"><string>toolTab</string></property></widget></item>
       <item>
        <widget class="QStackedWidget" name="tabTool">
         <widget class="ToolQuilloraCtrl" name="ctlToolQuillora"/>
         <widget class="ToolShadowBorderCtrl" name="ctlToolShadowBorder"/>
         <widget class="ToolFilterToningCtrl" name="ctlToolFilterToning"/>
         <widget class="ToolChangeBgCtrl" name="ctlToolChangeBg"/>
         <widget class="ToolChangeSizeCtrl" name="ctlToolChangeSize"/>
        </widget>
       </item>
      </layout>
     </widget>
    </widget>
   </item>
  </layout>
 </widget>
</ui>
)";

class PanelWindow : public ui::WindowImplBase {
public:
    PanelWindow()
        : panels(*this, CToolPanels::Hooks{[this] { return canvas; }, [this] { return kind; },
                                           [this] { return picked; }, nullptr}) {}

    QString GetSkinFile() const override { return QStringLiteral("test_panels.xml"); }
    QString GetWindowClassName() const override { return QStringLiteral("QuilloraPanelTest"); }
    QWidget* CreateControl(const QString& className, QWidget* parent) override {
        return CreateToolPanelControl(className, this, parent);
    }
    void Notify(ui::TNotifyUI& msg) override {
        ui::WindowImplBase::Notify(msg);
        panels.HandleNotify(msg);
    }

    canvas::CDrawPanel* canvas = nullptr;
    int kind = 1;
    QStringList picked;
    CToolPanels panels;
};

// The skin of the source tree with the test page beside it.
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(skin_.isValid());
        const QString source = QFileInfo(QStringLiteral(__FILE__))
                                   .dir()
                                   .absoluteFilePath(QStringLiteral("../../skin"));
        QDirIterator files(source, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString from = files.next();
            const QString to = skin_.filePath(QDir(source).relativeFilePath(from));
            QDir().mkpath(QFileInfo(to).path());
            QFile::copy(from, to);
        }
        QFile layout(skin_.filePath(QStringLiteral("test_panels.xml")));
        ASSERT_TRUE(layout.open(QIODevice::WriteOnly));
        layout.write(kTestLayout);
        layout.close();
        ui::CPaintManagerUI::SetResourceZip(nullptr, 0);
        ui::CPaintManagerUI::SetSkinPath(skin_.path());
        ui::CSkinManager::SetTextReloadInterface(nullptr);
        ui::CSkinManager::LoadStringTable(QStringLiteral("en"));
        ui::CPaintManagerUI::ApplyStyleSheet();

        window_ = std::make_unique<PanelWindow>();
        ASSERT_TRUE(window_->Create(nullptr, QStringLiteral("panels")));
        canvas_ = new canvas::CDrawPanel(window_->Body());
        canvas_->resize(400, 300);
        window_->canvas = canvas_;
        window_->panels.Attach();
        ui::SelectTabItem(Find(QStringLiteral("tabMain")), 1);
        window_->resize(420, 900);
        window_->ShowWindow(true, false);
    }
    void TearDown() override { window_.reset(); }

    QWidget* Find(const QString& name) const { return window_->FindControl(name); }
    template <class T>
    T* Find(const char* name) const {
        T* control = qobject_cast<T*>(Find(QString::fromLatin1(name)));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    canvas::CanvasDocument& Doc() { return canvas_->Document(); }

    // Typing as a person does: select all, type.
    void Type(const char* edit, const QString& text) {
        auto* box = Find<QLineEdit>(edit);
        ASSERT_NE(box, nullptr);
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }
    void Click(const char* name) {
        auto* button = Find<QAbstractButton>(name);
        ASSERT_NE(button, nullptr);
        button->click();
    }
    int SliderValue(const char* name) {
        auto* slider = Find<QSlider>(name);
        return slider != nullptr ? slider->value() : -9999;
    }
    QString EditText(const char* name) {
        auto* edit = Find<QLineEdit>(name);
        return edit != nullptr ? edit->text() : QString();
    }
    bool Visible(const char* name) {
        QWidget* w = Find(QString::fromLatin1(name));
        return w != nullptr && !w->isHidden();
    }
    bool Checked(const char* name) { return ui::IsWidgetChecked(Find(QString::fromLatin1(name))); }

    QString WritePicture(const QString& name, int width, int height) {
        QImage image(width, height, QImage::Format_ARGB32);
        image.fill(qRgb(40, 120, 200));
        const QString path = pictures_.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    QTemporaryDir skin_;
    QTemporaryDir pictures_;
    std::unique_ptr<PanelWindow> window_;
    canvas::CDrawPanel* canvas_ = nullptr;
};

TEST_F(PanelTest, LayoutSlidersAndEditBoxesMatchTheValueTable) {
    for (const SliderRow& row : panels::SliderRows()) {
        auto* slider = Find<QSlider>(row.slider);
        auto* edit = Find<QLineEdit>(row.edit);
        ASSERT_TRUE(slider != nullptr && edit != nullptr);
        EXPECT_EQ(slider->minimum(), panels::PositionFromValue(row, row.range.minimum))
            << row.slider;
        EXPECT_EQ(slider->maximum(), panels::PositionFromValue(row, row.range.maximum))
            << row.slider;
        // The layout starts where a reset puts it.
        EXPECT_EQ(slider->value(), panels::PositionFromValue(row, row.resetValue)) << row.slider;
        EXPECT_EQ(edit->text(), QString::number(row.resetValue)) << row.edit;
    }
}

TEST_F(PanelTest, LayoutOptionsCarryTheirPresetValues) {
    for (int k = 0; k <= 8; ++k) {
        const QString common = QStringLiteral("optToolChangeSize_common_r%1").arg(k);
        const QString card = QStringLiteral("optToolChangeSize_card_r%1").arg(k);
        EXPECT_EQ(panels::ParsePresetNumber(ui::UserData(Find(common))),
                  panels::SizePresetOf(panels::OptionGroup::CommonSize, k))
            << common.toStdString();
        EXPECT_EQ(panels::ParsePresetNumber(ui::UserData(Find(card))),
                  panels::SizePresetOf(panels::OptionGroup::CardSize, k))
            << card.toStdString();
    }
    for (int k = 1; k <= 8; ++k) {
        const QString filter = QStringLiteral("optToolFilterToning_filter%1").arg(k);
        EXPECT_EQ(panels::ParsePresetNumber(ui::UserData(Find(filter))), k - 1);
    }
    struct Group {
        const char* prefix;
        int presets;
    };
    for (const Group& g : {Group{"optToolShadow_color", 5}, Group{"optToolBorder_color", 5},
                           Group{"optToolQuillora_color", 5}, Group{"optToolChangeBg_color", 19}}) {
        for (int k = 1; k <= g.presets; ++k) {
            const QString name = QString::fromLatin1(g.prefix) + QString::number(k);
            EXPECT_TRUE(panels::ParseColourPreset(ui::UserData(Find(name))).has_value())
                << name.toStdString();
        }
    }
    // The first member is what a new photo starts with in the canvas.
    const canvas::ShadowParams shadow;
    const canvas::BrushParams brush;
    EXPECT_TRUE(
        panels::ParseColourPreset(ui::UserData(Find(QStringLiteral("optToolShadow_color1"))))
            ->none);
    EXPECT_EQ(canvas::AlphaOf(shadow.colour), 0u);
    EXPECT_TRUE(
        panels::ParseColourPreset(ui::UserData(Find(QStringLiteral("optToolBorder_color1"))))
            ->none);
    EXPECT_TRUE(
        panels::ParseColourPreset(ui::UserData(Find(QStringLiteral("optToolChangeBg_color1"))))
            ->none);
    const auto tint =
        panels::ParseColourPreset(ui::UserData(Find(QStringLiteral("optToolQuillora_color1"))));
    ASSERT_TRUE(tint);
    EXPECT_EQ(canvas::ArgbFromColourRef(tint->ref, 0) & 0xFFFFFFu, brush.tintColour & 0xFFFFFFu);
}

TEST_F(PanelTest, TypedValuesAreClampedAndReachSliderAndCanvas) {
    Type("edtToolShadow_dis", QStringLiteral("150"));
    EXPECT_EQ(EditText("edtToolShadow_dis"), QStringLiteral("100"));
    EXPECT_EQ(SliderValue("sliderToolShadow_dis"), 100);
    EXPECT_EQ(Doc().shadow.distance, 100);

    Type("edtToolFilterToning_contrast", QStringLiteral("-80"));
    EXPECT_EQ(EditText("edtToolFilterToning_contrast"), QStringLiteral("-50"));
    EXPECT_EQ(SliderValue("sliderToolFilterToning_contrast"), 0);
    EXPECT_EQ(Doc().filter.contrast, -50);

    // Below the range: held at the bound at once, shown once the box is left.
    Type("edtToolQuillora_size", QStringLiteral("5"));
    EXPECT_EQ(SliderValue("sliderToolQuillora_size"), 10);
    EXPECT_EQ(Doc().brush.size, 10);
    EXPECT_EQ(EditText("edtToolQuillora_size"), QStringLiteral("5"));
    QTest::keyClick(Find<QLineEdit>("edtToolQuillora_size"), Qt::Key_Return);
    EXPECT_EQ(EditText("edtToolQuillora_size"), QStringLiteral("10"));
    // ... so that two digits can be typed one after the other.
    Type("edtToolQuillora_size", QStringLiteral("55"));
    EXPECT_EQ(EditText("edtToolQuillora_size"), QStringLiteral("55"));
    EXPECT_EQ(SliderValue("sliderToolQuillora_size"), 55);
    EXPECT_EQ(Doc().brush.size, 55);

    Type("edtToolShadow_angle", QStringLiteral("275"));
    EXPECT_EQ(SliderValue("sliderToolShadow_angle"), 275);
    EXPECT_EQ(Doc().shadow.angle, 275);
    // Letters and signs a row cannot take are refused as they are typed.
    Type("edtToolShadow_blur", QStringLiteral("-x7"));
    EXPECT_EQ(EditText("edtToolShadow_blur"), QStringLiteral("7"));
    EXPECT_EQ(Doc().shadow.blur, 7);
    // Softness and thickness reach the canvas as well.
    Type("edtToolQuillora_soft", QStringLiteral("60"));
    EXPECT_EQ(Doc().brush.softness, 60);
    Type("edtToolBorder_thickness", QStringLiteral("12"));
    EXPECT_EQ(Doc().border.thickness, 12);
}

TEST_F(PanelTest, SliderMovesWriteTheEditBoxAndTheCanvas) {
    Find<QSlider>("sliderToolFilterToning_brightness")->setValue(80);
    EXPECT_EQ(EditText("edtToolFilterToning_brightness"), QStringLiteral("30"));
    EXPECT_EQ(Doc().filter.brightness, 30);
    Find<QSlider>("sliderToolFilterToning_saturation")->setValue(0);
    EXPECT_EQ(EditText("edtToolFilterToning_saturation"), QStringLiteral("-50"));
    EXPECT_EQ(Doc().filter.saturation, -50);
    Find<QSlider>("sliderToolShadow_transparent")->setValue(35);
    EXPECT_EQ(EditText("edtToolShadow_transparent"), QStringLiteral("35"));
    EXPECT_EQ(Doc().shadow.transparency, 35);
    EXPECT_FLOAT_EQ(Doc().shadow.opacity, 0.35f);
    Find<QSlider>("sliderToolFilterToning_transparency")->setValue(0);
    EXPECT_EQ(Doc().filter.transparency, 0);
}

TEST_F(PanelTest, ColourFilterAndSizeOptionsSetTheCanvas) {
    Click("optToolShadow_color2");
    const auto black =
        panels::ParseColourPreset(ui::UserData(Find(QStringLiteral("optToolShadow_color2"))));
    ASSERT_TRUE(black && !black->none);
    EXPECT_EQ(Doc().shadow.colour, canvas::ArgbFromColourRef(black->ref, 0xFF000000u));
    Click("optToolShadow_color1");
    EXPECT_EQ(canvas::AlphaOf(Doc().shadow.colour), 0u);

    Click("optToolBorder_color4");
    const auto blue =
        panels::ParseColourPreset(ui::UserData(Find(QStringLiteral("optToolBorder_color4"))));
    ASSERT_TRUE(blue);
    EXPECT_EQ(Doc().border.colour, canvas::ArgbFromColourRef(blue->ref, 0xFF000000u));

    // A tint option set to "none" gives white, keeping the tint's alpha.
    const canvas::Argb alpha = Doc().brush.tintColour & 0xFF000000u;
    ui::SetUserData(Find(QStringLiteral("optToolQuillora_color3")), QStringLiteral("FFFFFFFF"));
    Click("optToolQuillora_color3");
    EXPECT_EQ(Doc().brush.tintColour, alpha | 0x00FFFFFFu);
    // A value that is not a colour changes nothing.
    ui::SetUserData(Find(QStringLiteral("optToolQuillora_color4")), QStringLiteral("teal"));
    Click("optToolQuillora_color4");
    EXPECT_EQ(Doc().brush.tintColour, alpha | 0x00FFFFFFu);

    Click("optToolChangeBg_color4");
    const auto bg =
        panels::ParseColourPreset(ui::UserData(Find(QStringLiteral("optToolChangeBg_color4"))));
    EXPECT_EQ(Doc().background.kind, canvas::BackgroundKind::Colour);
    EXPECT_EQ(Doc().background.colour & 0xFFFFFFu,
              canvas::ArgbFromColourRef(bg->ref, 0) & 0xFFFFFFu);
    Click("optToolChangeBg_color1");
    EXPECT_EQ(Doc().background.kind, canvas::BackgroundKind::None);

    Click("optToolFilterToning_filter4");
    EXPECT_EQ(Doc().filter.preset, 3);
    Click("optToolChangeSize_card_r3");
    EXPECT_EQ(Doc().background.sizePreset, 12);
    Click("optToolChangeSize_common_r2");
    EXPECT_EQ(Doc().background.sizePreset, 2);
}

TEST_F(PanelTest, ToolTabsAndBrushOptionsSwitchPanelsAndCanvas) {
    Click("optShadowBorder");
    EXPECT_EQ(ui::CurrentTabIndex(Find(QStringLiteral("tabTool"))), 1);
    EXPECT_EQ(Doc().mode, canvas::EditMode::ShadowBorder);
    EXPECT_TRUE(Checked("optTabEff"));
    Click("optToolBorder");
    EXPECT_FALSE(Visible("layToolShadow"));
    EXPECT_TRUE(Visible("layToolBorder"));
    Click("optChangeSize");
    EXPECT_EQ(Doc().mode, canvas::EditMode::ChangeSize);
    Click("optToolChangeSize_card");
    EXPECT_TRUE(Visible("layToolChangeSize_card"));
    EXPECT_FALSE(Visible("layToolChangeSize_common"));
    Click("optChangeBg");
    Click("optToolChangeBg_customize");
    EXPECT_TRUE(Visible("layToolChangeBg_customize"));
    EXPECT_FALSE(Visible("layToolChangeBg_color"));
    EXPECT_FALSE(Visible("layToolChangeBg_template"));

    Click("optQuillora");
    EXPECT_EQ(Doc().mode, canvas::EditMode::CutOut);
    EXPECT_TRUE(Visible("layToolButton"));
    Click("optToolQuillora_eff");
    EXPECT_TRUE(Visible("layQuillora"));
    EXPECT_FALSE(Visible("layQuillora_color"));
    EXPECT_EQ(Doc().brush.kind, canvas::BrushKind::Erase);
    EXPECT_TRUE(Checked("optTabOrg"));
    // The effect view takes the brush choice away; the source view gives it back.
    Click("optTabEff");
    EXPECT_FALSE(Checked("optToolQuillora_add") || Checked("optToolQuillora_eff"));
    EXPECT_FALSE(Visible("layQuillora"));
    Click("optTabOrg");
    EXPECT_TRUE(Checked("optToolQuillora_eff"));
    Click("optToolQuillora_add");
    EXPECT_EQ(Doc().brush.kind, canvas::BrushKind::Add);
    EXPECT_TRUE(Visible("layQuillora_color"));

    // Away from the single page the canvas keeps its mode.
    ui::SelectTabItem(Find(QStringLiteral("tabMain")), 0);
    Click("optFilterToning");
    EXPECT_EQ(ui::CurrentTabIndex(Find(QStringLiteral("tabTool"))), 2);
    EXPECT_EQ(Doc().mode, canvas::EditMode::CutOut);
}

TEST_F(PanelTest, CustomColourIsAppliedAndKeptByItsOption) {
    std::optional<QColor> answer = QColor(10, 20, 30);
    int asked = 0;
    window_->panels.Binding().SetColourChooser([&](QWidget*) {
        ++asked;
        return answer;
    });
    EXPECT_FALSE(Visible("optToolShadow_color6"));
    Click("btnToolShadow_color");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Doc().shadow.colour, 0xFF0A141Eu);
    EXPECT_TRUE(Visible("optToolShadow_color6"));
    EXPECT_TRUE(Checked("optToolShadow_color6"));
    // Another colour, then the custom one again.
    Click("optToolShadow_color2");
    EXPECT_NE(Doc().shadow.colour, 0xFF0A141Eu);
    Click("optToolShadow_color6");
    EXPECT_EQ(Doc().shadow.colour, 0xFF0A141Eu);
    // Cancel leaves everything as it was.
    answer.reset();
    Click("btnToolChangeBg_color");
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Doc().background.kind, canvas::BackgroundKind::None);
    EXPECT_FALSE(Visible("optToolChangeBg_color20"));
    answer = QColor(255, 255, 255);
    Click("btnToolChangeBg_color");
    EXPECT_EQ(Doc().background.kind, canvas::BackgroundKind::Colour);
    EXPECT_EQ(Doc().background.colour & 0xFFFFFFu, 0xFFFFFFu);
    EXPECT_TRUE(Checked("optToolChangeBg_color20"));
}

TEST_F(PanelTest, ResetPutsEveryPanelBackAndThePictureAgrees) {
    Find<QSlider>("sliderToolShadow_transparent")->setValue(80);
    Find<QSlider>("sliderToolFilterToning_contrast")->setValue(90);
    Find<QSlider>("sliderToolBorder_thickness")->setValue(30);
    Type("edtToolQuillora_size", QStringLiteral("3"));  // half typed, below the range
    Click("optToolQuillora_eff");
    Click("optToolShadow_color3");
    Click("optToolBorder");
    Click("optToolFilterToning_filter5");
    Click("optToolChangeBg_template");
    Click("optToolChangeSize_card");
    Click("optToolChangeSize_card_r4");
    Click("optChangeSize");

    window_->panels.ResetToolPanels();

    for (const SliderRow& row : panels::SliderRows()) {
        EXPECT_EQ(SliderValue(row.slider), panels::PositionFromValue(row, row.resetValue))
            << row.slider;
        EXPECT_EQ(EditText(row.edit), QString::number(row.resetValue)) << row.edit;
    }
    EXPECT_TRUE(Checked("optTabOrg"));
    EXPECT_TRUE(Checked("optQuillora"));
    EXPECT_EQ(ui::CurrentTabIndex(Find(QStringLiteral("tabTool"))), 0);
    EXPECT_FALSE(Checked("optToolQuillora_add") || Checked("optToolQuillora_eff"));
    EXPECT_FALSE(Visible("layQuillora"));
    for (const char* option :
         {"optToolQuillora_color1", "optToolShadow", "optToolShadow_color1", "optToolBorder_color1",
          "optToolFilterToning_filter1", "optToolChangeBg_color", "optToolChangeBg_color1",
          "optToolChangeSize_common", "optToolChangeSize_common_r0", "optToolChangeSize_card_r0"}) {
        EXPECT_TRUE(Checked(option)) << option;
    }
    EXPECT_TRUE(Visible("layToolShadow"));
    EXPECT_FALSE(Visible("layToolBorder"));
    EXPECT_TRUE(Visible("layToolChangeBg_color"));
    EXPECT_FALSE(Visible("layToolChangeBg_template"));
    EXPECT_TRUE(Visible("layToolChangeSize_common"));
    EXPECT_FALSE(Visible("layToolChangeSize_card"));
    // The canvas holds what the panels show, the percentages included, which
    // a new photo does not reset.
    EXPECT_EQ(Doc().shadow.transparency, 50);
    EXPECT_EQ(Doc().filter.contrast, 0);
    EXPECT_EQ(Doc().border.thickness, canvas::params::kBorderThickness.initial);
    EXPECT_EQ(Doc().brush.size, 20);
    EXPECT_EQ(canvas::AlphaOf(Doc().shadow.colour), 0u);
    EXPECT_EQ(Doc().filter.preset, 0);
    // A second reset changes nothing.
    window_->panels.ResetToolPanels();
    EXPECT_EQ(EditText("edtToolShadow_transparent"), QStringLiteral("50"));
}

TEST_F(PanelTest, BackgroundTilesGetThumbnailsSelectAndRemove) {
    auto* list = Find<ui::CListUI>("listFile_bg");
    ASSERT_NE(list, nullptr);
    const QString wide = WritePicture(QStringLiteral("wide.png"), 400, 100);
    const QString tall = WritePicture(QStringLiteral("tall.png"), 50, 300);
    const QString small = WritePicture(QStringLiteral("small.png"), 30, 20);
    const QString broken = pictures_.filePath(QStringLiteral("broken.png"));
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
    }
    window_->picked = {wide, tall, small, broken};
    Click("btnAddFile_bg");
    ASSERT_EQ(list->GetCount(), 5);  // the placeholder and four pictures
    EXPECT_TRUE(list->GetItemAt(0)->isHidden());
    QWidget* thumb = list->GetItemAt(1)->findChild<QWidget*>(QStringLiteral("picThumbnail"));
    ASSERT_NE(thumb, nullptr);
    const QSize box = thumb->size();
    EXPECT_FALSE(thumb->isEnabled());

    QDeadlineTimer deadline(5000);
    while (window_->panels.Tiles().PendingCount() > 0 && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ASSERT_EQ(window_->panels.Tiles().PendingCount(), 0);
    const QString paths[] = {wide, tall, small};
    for (int i = 1; i <= 3; ++i) {
        QWidget* tile = list->GetItemAt(i);
        auto* picture = tile->findChild<ui::CPictureUI*>(QStringLiteral("picThumbnail"));
        ASSERT_NE(picture, nullptr);
        EXPECT_TRUE(picture->isEnabled());
        QImage expected(QFileInfo(paths[i - 1]).absoluteFilePath());
        EXPECT_EQ(picture->Bitmap().size(), thumbnails::FitThumbnailSize(expected.size(), box));
        EXPECT_TRUE(tile->findChild<QWidget*>(QStringLiteral("picText"))->isHidden());
        EXPECT_EQ(ui::UserData(tile), paths[i - 1]);
    }
    // The broken file says so.
    QWidget* brokenText = list->GetItemAt(4)->findChild<QWidget*>(QStringLiteral("picText"));
    EXPECT_FALSE(brokenText->isHidden());
    EXPECT_EQ(ui::WidgetText(brokenText),
              ui::CSkinManager::ControlText(QStringLiteral("ToolImageUnreadable")));

    // Clicks: the placeholder does nothing; a picture goes behind the cut-out.
    EXPECT_FALSE(window_->panels.Tiles().Select(list, list->GetItemAt(0)).has_value());
    ui::TNotifyUI click{QString(ui::notify::kItemClick), list->GetItemAt(2), 2, 0};
    window_->panels.HandleNotify(click);
    EXPECT_EQ(list->GetCurSel(), 2);
    EXPECT_FALSE(
        list->GetItemAt(2)->findChild<QWidget*>(QStringLiteral("picSelectIcon"))->isHidden());
    EXPECT_EQ(Doc().background.kind, canvas::BackgroundKind::Picture);
    click.pSender = list->GetItemAt(3);
    window_->panels.HandleNotify(click);
    EXPECT_TRUE(
        list->GetItemAt(2)->findChild<QWidget*>(QStringLiteral("picSelectIcon"))->isHidden());
    EXPECT_FALSE(
        list->GetItemAt(3)->findChild<QWidget*>(QStringLiteral("picSelectIcon"))->isHidden());

    // Removing by the tile's close button.
    QWidget* second = list->GetItemAt(2);
    auto* close = second->findChild<QAbstractButton*>(QStringLiteral("btnCloseItem"));
    ASSERT_NE(close, nullptr);
    close->click();
    EXPECT_EQ(list->GetCount(), 4);
    EXPECT_EQ(list->GetItemIndex(second), -1);
}

TEST_F(PanelTest, TileRemovedBeforeItsThumbnailIsNeverTouched) {
    auto* list = Find<ui::CListUI>("listFile_bg");
    ASSERT_NE(list, nullptr);
    QStringList paths;
    for (int i = 0; i < 6; ++i) {
        paths << WritePicture(QStringLiteral("r%1.png").arg(i), 1600, 1200);
    }
    window_->picked = paths;
    Click("btnAddFile_bg");
    ASSERT_EQ(list->GetCount(), 7);
    // Straight away, before the event loop runs: the loader is busy with the
    // first pictures and holds the rest.
    QPointer<QWidget> removed = list->GetItemAt(5);
    removed->findChild<QAbstractButton*>(QStringLiteral("btnCloseItem"))->click();
    QPointer<QWidget> first = list->GetItemAt(1);
    first->findChild<QAbstractButton*>(QStringLiteral("btnCloseItem"))->click();
    EXPECT_EQ(list->GetCount(), 5);
    QDeadlineTimer deadline(8000);
    while (window_->panels.Tiles().PendingCount() > 0 && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window_->panels.Tiles().PendingCount(), 0);
    EXPECT_TRUE(removed.isNull());
    EXPECT_TRUE(first.isNull());
    for (int i = 1; i < list->GetCount(); ++i) {
        EXPECT_TRUE(
            list->GetItemAt(i)->findChild<QWidget*>(QStringLiteral("picThumbnail"))->isEnabled());
    }
    // A tile whose picture was deleted meanwhile stays as it was.
    const QString gone = WritePicture(QStringLiteral("gone.png"), 40, 40);
    window_->picked = {gone};
    Click("btnAddFile_bg");
    QFile::remove(gone);
    deadline = QDeadlineTimer(5000);
    while (window_->panels.Tiles().PendingCount() > 0 && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QWidget* last = list->GetItemAt(list->GetCount() - 1);
    EXPECT_FALSE(last->findChild<QWidget*>(QStringLiteral("picThumbnail"))->isEnabled());
}

}  // namespace
}  // namespace quillora
