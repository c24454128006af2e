#include "workspace/panels/ToolPanelBinding.h"

#include "workspace/panels/PanelDecoration.h"

#include "canvas/widgets/CDrawPanel.h"
#include "ui/Controls.h"
#include "ui/WindowImplBase.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QColorDialog>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSlider>

namespace quillora {

using panels::CanvasValue;
using panels::OptionGroup;
using panels::OptionRole;
using panels::SliderRow;

namespace {

constexpr int kModeChangeBackground = 3;
constexpr int kModeChangeSize = 4;

// An option of an exclusive group cannot be unchecked by itself: the group
// lets go of it for a moment.
void Uncheck(QWidget* widget) {
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (button == nullptr || !button->isChecked()) {
        return;
    }
    QButtonGroup* group = button->group();
    const bool exclusive = group != nullptr && group->exclusive();
    const bool autoExclusive = button->autoExclusive();
    if (exclusive) {
        group->setExclusive(false);
    }
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(autoExclusive);
    if (exclusive) {
        group->setExclusive(true);
    }
}

canvas::ColourRef RefOf(const QColor& colour) {
    return static_cast<canvas::ColourRef>(colour.red()) |
           (static_cast<canvas::ColourRef>(colour.green()) << 8) |
           (static_cast<canvas::ColourRef>(colour.blue()) << 16);
}

QString HexOf(canvas::ColourRef ref) {
    return QStringLiteral("%1").arg(ref, 6, 16, QLatin1Char('0')).toUpper();
}

struct CustomColourButton {
    const char* button;
    OptionGroup group;
};
constexpr CustomColourButton kCustomButtons[] = {
    {"btnToolShadow_color", OptionGroup::ShadowColour},
    {"btnToolBorder_color", OptionGroup::BorderColour},
    {"btnToolQuillora_color", OptionGroup::TintColour},
    {"btnToolChangeBg_color", OptionGroup::BackgroundColour},
    {"btnBatchToolChangeBg_color", OptionGroup::BatchBackground},
};

}  // namespace

CToolPanelBinding::CToolPanelBinding(ui::WindowImplBase& window)
    : window_(window), chooseColour_([](QWidget* owner) -> std::optional<QColor> {
          // The chooser keeps its custom colours for the whole run itself.
          const QColor colour = QColorDialog::getColor(QColor(), owner);
          return colour.isValid() ? std::optional<QColor>(colour) : std::nullopt;
      }) {}

QWidget* CToolPanelBinding::Find(const QString& name) const {
    return window_.FindControl(name);
}

void CToolPanelBinding::Show(const QString& name, bool visible) {
    window_.ShowControl(name, visible);
}

void CToolPanelBinding::Check(const QString& name, bool checked) {
    QWidget* option = Find(name);
    if (checked) {
        ui::SetWidgetChecked(option, true);
    } else {
        Uncheck(option);
    }
}

bool CToolPanelBinding::HandleNotify(ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return false;
    }
    const QString name = msg.pSender->objectName();
    if (msg.sType == ui::notify::kValueChanged) {
        if (const SliderRow* row = panels::FindRowBySlider(name)) {
            OnSliderValueChanged(*row, msg.pSender);
            return true;
        }
        return false;
    }
    if (msg.sType == ui::notify::kTextChanged) {
        if (const SliderRow* row = panels::FindRowByEdit(name)) {
            OnEditTextChanged(*row, msg.pSender);
            return true;
        }
        return false;
    }
    if (msg.sType == ui::notify::kKillFocus) {
        if (const SliderRow* row = panels::FindRowByEdit(name)) {
            OnEditLeft(*row, msg.pSender);
            return true;
        }
        return false;
    }
    if (msg.sType == ui::notify::kSelectChanged) {
        // Only the option that became selected counts.
        if (!ui::IsWidgetChecked(msg.pSender)) {
            return false;
        }
        return OnOptionSelected(name, msg.pSender);
    }
    if (msg.sType == ui::notify::kClick) {
        if (name == QLatin1String("btnToolChangeSize_submit")) {
            if (canvas::CDrawPanel* canvas = Canvas()) {
                canvas->ApplyCrop();
            }
            return true;
        }
        return OnCustomColourClicked(name);
    }
    return false;
}

void CToolPanelBinding::Attach() {
    for (const SliderRow& row : panels::SliderRows()) {
        if (auto* edit = qobject_cast<QLineEdit*>(Find(QLatin1String(row.edit)))) {
            // Room for the sign of the signed rows and every digit of the
            // largest value; anything else is refused as it is typed.
            const int digits = static_cast<int>(QString::number(row.range.maximum).size());
            const QString pattern =
                QStringLiteral("%1\\d{0,%2}")
                    .arg(row.range.minimum < 0 ? QStringLiteral("-?") : QString())
                    .arg(digits);
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
            // Return takes the value as leaving the box does.
            QObject::connect(edit, &QLineEdit::returnPressed, edit,
                             [this, &row, edit] { OnEditLeft(row, edit); });
        }
    }
    const auto options = window_.Body() != nullptr
                             ? window_.Body()->findChildren<QAbstractButton*>()
                             : QList<QAbstractButton*>();
    for (QAbstractButton* option : options) {
        const std::optional<panels::OptionInfo> info = panels::ClassifyOption(option->objectName());
        if (!info) {
            continue;
        }
        switch (info->group) {
            case OptionGroup::ShadowColour:
            case OptionGroup::BorderColour:
            case OptionGroup::TintColour:
            case OptionGroup::BackgroundColour:
            case OptionGroup::BatchBackground:
                if (const auto colour = panels::ParseColourPreset(ui::UserData(option))) {
                    PaintSwatch(option, colour->ref);
                }
                break;
            default:
                break;
        }
    }
    PaintFilterPreviews(window_.Body());
}

void CToolPanelBinding::OnSliderValueChanged(const SliderRow& row, QWidget* sender) {
    auto* slider = qobject_cast<QSlider*>(sender);
    if (slider == nullptr || editDriving_ == &row) {
        // The edit box moving its slider applies the value itself.
        return;
    }
    const int value = panels::ValueFromPosition(row, slider->value());
    window_.SetText(QLatin1String(row.edit), panels::EditText(value));
    ApplyToCanvas(row, value);
}

void CToolPanelBinding::OnEditTextChanged(const SliderRow& row, QWidget* edit) {
    const panels::EditReading reading = panels::ReadEditText(row, ui::WidgetText(edit));
    if (reading.correctNow) {
        ui::SetWidgetText(edit, panels::EditText(reading.value));
    }
    editDriving_ = &row;
    window_.SetSliderValue(QLatin1String(row.slider),
                           panels::PositionFromValue(row, reading.value));
    editDriving_ = nullptr;
    ApplyToCanvas(row, reading.value);
}

void CToolPanelBinding::OnEditLeft(const SliderRow& row, QWidget* edit) {
    // What is in effect is the slider's value; the box shows it once the
    // typing is over (a value below the range becomes its lower bound).
    auto* slider = qobject_cast<QSlider*>(Find(QLatin1String(row.slider)));
    if (slider == nullptr) {
        return;
    }
    const QString shown = panels::EditText(panels::ValueFromPosition(row, slider->value()));
    if (ui::WidgetText(edit) != shown) {
        ui::SetWidgetText(edit, shown);
    }
}

void CToolPanelBinding::ApplyToCanvas(const SliderRow& row, int value) {
    canvas::CDrawPanel* canvas = Canvas();
    if (canvas == nullptr) {
        return;
    }
    switch (row.target) {
        case CanvasValue::BrushSize:
            canvas->SetBrushSize(value);
            break;
        case CanvasValue::BrushSoftness:
            canvas->SetBrushSoftness(value);
            break;
        case CanvasValue::ShadowDistance:
            canvas->SetShadowDistance(value);
            break;
        case CanvasValue::ShadowAngle:
            canvas->SetShadowAngle(value);
            break;
        case CanvasValue::ShadowBlur:
            canvas->SetShadowBlur(value);
            break;
        case CanvasValue::ShadowTransparency:
            canvas->SetShadowTransparency(value);
            break;
        case CanvasValue::BorderThickness:
            canvas->SetBorderThickness(value);
            break;
        case CanvasValue::BorderTransparency:
            canvas->SetBorderTransparency(value);
            break;
        case CanvasValue::Brightness:
            canvas->SetBrightness(value);
            break;
        case CanvasValue::Contrast:
            canvas->SetContrast(value);
            break;
        case CanvasValue::Saturation:
            canvas->SetSaturation(value);
            break;
        case CanvasValue::Blurry:
            canvas->SetBlurry(value);
            break;
        case CanvasValue::Sharpen:
            canvas->SetSharpen(value);
            break;
        case CanvasValue::FilterTransparency:
            canvas->SetFilterTransparency(value);
            break;
    }
}

bool CToolPanelBinding::OnOptionSelected(const QString& name, QWidget* option) {
    if (const std::optional<panels::OptionInfo> info = panels::ClassifyOption(name)) {
        if (info->group == OptionGroup::ToolTab) {
            SelectToolTab(info->index);
        } else {
            OnGroupOption(*info, option);
        }
        return true;
    }
    if (name == QLatin1String("optToolQuillora_add")) {
        OnBrushKind(0);
    } else if (name == QLatin1String("optToolQuillora_eff")) {
        OnBrushKind(1);
    } else if (name == QLatin1String("optToolShadow")) {
        ShowOnly({"layToolShadow", "layToolBorder"}, "layToolShadow");
    } else if (name == QLatin1String("optToolBorder")) {
        ShowOnly({"layToolShadow", "layToolBorder"}, "layToolBorder");
    } else if (name == QLatin1String("optToolChangeBg_customize")) {
        ShowOnly({"layToolChangeBg_customize", "layToolChangeBg_template", "layToolChangeBg_color"},
                 "layToolChangeBg_customize");
    } else if (name == QLatin1String("optToolChangeBg_template")) {
        ShowOnly({"layToolChangeBg_customize", "layToolChangeBg_template", "layToolChangeBg_color"},
                 "layToolChangeBg_template");
    } else if (name == QLatin1String("optToolChangeBg_color")) {
        ShowOnly({"layToolChangeBg_customize", "layToolChangeBg_template", "layToolChangeBg_color"},
                 "layToolChangeBg_color");
    } else if (name == QLatin1String("optToolChangeSize_common")) {
        ShowOnly({"layToolChangeSize_common", "layToolChangeSize_card"},
                 "layToolChangeSize_common");
    } else if (name == QLatin1String("optToolChangeSize_card")) {
        ShowOnly({"layToolChangeSize_common", "layToolChangeSize_card"}, "layToolChangeSize_card");
    } else if (name == QLatin1String("optTabOrg")) {
        // The source view: the brush options show the kind in use. The
        // window switches the canvas view itself.
        Check(QStringLiteral("optToolQuillora_add"), brushKind_ == 0);
        Check(QStringLiteral("optToolQuillora_eff"), brushKind_ == 1);
        return false;
    } else if (name == QLatin1String("optTabEff")) {
        Check(QStringLiteral("optToolQuillora_add"), false);
        Check(QStringLiteral("optToolQuillora_eff"), false);
        Show(QStringLiteral("layQuillora"), false);
        Show(QStringLiteral("layQuillora_color"), false);
        return false;
    } else if (name == QLatin1String("optBatchTool_changeBg")) {
        ShowOnly({"layBatchTool_changeBg", "layBatchTool_changeSize"}, "layBatchTool_changeBg");
        if (batch_ != nullptr && batch_->HasBatchList()) {
            batch_->SetBatchMode(kModeChangeBackground);
        }
    } else if (name == QLatin1String("optBatchTool_changeSize")) {
        ShowOnly({"layBatchTool_changeBg", "layBatchTool_changeSize"}, "layBatchTool_changeSize");
        if (batch_ != nullptr && batch_->HasBatchList()) {
            batch_->SetBatchMode(kModeChangeSize);
        }
    } else {
        return false;
    }
    return true;
}

void CToolPanelBinding::ShowOnly(std::initializer_list<const char*> all, const char* shown) {
    // Hide first, so the column never holds both at once.
    for (const char* name : all) {
        if (qstrcmp(name, shown) != 0) {
            Show(QLatin1String(name), false);
        }
    }
    Show(QLatin1String(shown), true);
}

void CToolPanelBinding::OnBrushKind(int kind) {
    brushKind_ = kind;
    Show(QStringLiteral("layQuillora"), true);
    Show(QStringLiteral("layQuillora_color"), kind == 0);
    canvas::CDrawPanel* canvas = Canvas();
    if (canvas != nullptr) {
        canvas->SetBrushKind(kind);
        if (canvas->Document().mode == canvas::EditMode::CutOut) {
            canvas->SetBrushEnabled(true);
        }
    }
    // Painting always happens on the source view.
    Check(QStringLiteral("optTabOrg"), true);
}

void CToolPanelBinding::OnGroupOption(const panels::OptionInfo& info, QWidget* option) {
    if (info.role == OptionRole::ImageMarker) {
        return;
    }
    const QString userData = ui::UserData(option);
    switch (info.group) {
        case OptionGroup::ShadowColour:
        case OptionGroup::BorderColour:
        case OptionGroup::TintColour:
        case OptionGroup::BackgroundColour:
        case OptionGroup::BatchBackground: {
            // The custom member carries the colour last chosen for it; a
            // layout value that is not a colour changes nothing.
            const std::optional<panels::ColourPreset> colour = panels::ParseColourPreset(userData);
            if (colour) {
                ApplyColour(info.group, colour->ref, colour->none);
            }
            break;
        }
        case OptionGroup::CommonSize:
        case OptionGroup::CardSize:
            if (const std::optional<int> preset = panels::ParsePresetNumber(userData)) {
                if (canvas::CDrawPanel* canvas = Canvas()) {
                    canvas->SetSizePreset(*preset);
                }
            }
            break;
        case OptionGroup::Filter:
            if (const std::optional<int> preset = panels::ParsePresetNumber(userData)) {
                if (canvas::CDrawPanel* canvas = Canvas()) {
                    canvas->SetFilterPreset(*preset);
                }
            }
            break;
        case OptionGroup::BatchCommonSize:
        case OptionGroup::BatchCardSize:
            if (const std::optional<int> preset = panels::ParsePresetNumber(userData)) {
                if (batch_ != nullptr && batch_->HasBatchList()) {
                    batch_->SetBatchSizePreset(*preset);
                }
            }
            break;
        case OptionGroup::ToolTab:
            break;
    }
}

void CToolPanelBinding::ApplyColour(OptionGroup group, canvas::ColourRef ref, bool none) {
    if (group == OptionGroup::BatchBackground) {
        if (batch_ == nullptr || !batch_->HasBatchList()) {
            return;
        }
        // A colour and a picture behind the batch exclude each other.
        if (deselectBatchTile_) {
            deselectBatchTile_();
        }
        batch_->SetBatchBackgroundColour(ref, none);
        return;
    }
    canvas::CDrawPanel* canvas = Canvas();
    if (canvas == nullptr) {
        return;
    }
    switch (group) {
        case OptionGroup::ShadowColour:
            canvas->SetShadowColour(ref, none);
            break;
        case OptionGroup::BorderColour:
            canvas->SetBorderColour(ref, none);
            break;
        case OptionGroup::TintColour:
            // The tint has no "none": it is white then.
            canvas->SetTintColour(none ? panels::kColourRefWhite : ref);
            break;
        case OptionGroup::BackgroundColour:
            canvas->SetBackgroundColour(ref, none);
            break;
        default:
            break;
    }
}

bool CToolPanelBinding::OnCustomColourClicked(const QString& button) {
    const CustomColourButton* found = nullptr;
    for (const CustomColourButton& entry : kCustomButtons) {
        if (button == QLatin1String(entry.button)) {
            found = &entry;
        }
    }
    if (found == nullptr) {
        return false;
    }
    if (!chooseColour_) {
        return true;
    }
    const std::optional<QColor> colour = chooseColour_(&window_);
    if (!colour) {
        return true;
    }
    const canvas::ColourRef ref = RefOf(*colour);
    ApplyColour(found->group, ref, false);
    // The group's custom member now stands for this colour: it shows it,
    // carries it, and choosing it again gives it again.
    QWidget* custom = Find(panels::CustomOptionName(found->group));
    if (custom != nullptr) {
        ui::SetUserData(custom, HexOf(ref));
        PaintSwatch(custom, ref);
        custom->setVisible(true);
        ui::SetWidgetChecked(custom, true);
    }
    return true;
}

void CToolPanelBinding::SelectToolTab(int index) {
    if (!ui::SelectTabItem(Find(QStringLiteral("tabTool")), index)) {
        return;
    }
    canvas::CDrawPanel* canvas = Canvas();
    if (index == 0) {
        if (canvas != nullptr && !canvas->Document().showResult) {
            canvas->SetBrushEnabled(true);
        }
        Show(QStringLiteral("layToolButton"), true);
    } else {
        if (canvas != nullptr) {
            canvas->SetBrushEnabled(false);
            canvas->update();
        }
        Check(QStringLiteral("optTabEff"), true);
        Show(QStringLiteral("layToolButton"), false);
    }
    // The canvas follows the tab only while the single page shows.
    if (canvas != nullptr && ui::CurrentTabIndex(Find(QStringLiteral("tabMain"))) == 1) {
        canvas->SetMode(static_cast<canvas::EditMode>(index));
    }
}

void CToolPanelBinding::ResetRow(const SliderRow& row) {
    window_.SetSliderValue(QLatin1String(row.slider),
                           panels::PositionFromValue(row, row.resetValue));
    // Also when the slider did not move: the box may hold half-typed text.
    window_.SetText(QLatin1String(row.edit), panels::EditText(row.resetValue));
}

void CToolPanelBinding::ResetRows(std::initializer_list<const char*> sliders) {
    for (const char* slider : sliders) {
        if (const SliderRow* row = panels::FindRowBySlider(QString::fromLatin1(slider))) {
            ResetRow(*row);
        }
    }
}

void CToolPanelBinding::ResetToolPanels() {
    // 1. Source view and the cut-out tab, no brush chosen.
    Check(QStringLiteral("optTabOrg"), true);
    Check(QStringLiteral("optQuillora"), true);
    Show(QStringLiteral("layQuillora"), false);
    Show(QStringLiteral("layQuillora_color"), false);
    Check(QStringLiteral("optToolQuillora_add"), false);
    Check(QStringLiteral("optToolQuillora_eff"), false);
    brushKind_ = 0;
    // 2. Brush.
    ResetRows({"sliderToolQuillora_size", "sliderToolQuillora_soft"});
    Check(QStringLiteral("optToolQuillora_color1"), true);
    // 3. Shadow.
    Check(QStringLiteral("optToolShadow"), true);
    ShowOnly({"layToolShadow", "layToolBorder"}, "layToolShadow");
    ResetRows({"sliderToolShadow_dis", "sliderToolShadow_angle", "sliderToolShadow_blur",
               "sliderToolShadow_transparent"});
    Check(QStringLiteral("optToolShadow_color1"), true);
    // 4. Border: a new photo starts from the canvas's own thickness, so the
    // panel does too.
    ResetRows({"sliderToolBorder_thickness", "sliderToolBorder_transparent"});
    Check(QStringLiteral("optToolBorder_color1"), true);
    // 5. Filter and toning.
    ResetRows({"sliderToolFilterToning_brightness", "sliderToolFilterToning_contrast",
               "sliderToolFilterToning_saturation", "sliderToolFilterToning_blurry",
               "sliderToolFilterToning_sharpen", "sliderToolFilterToning_transparency"});
    Check(QStringLiteral("optToolFilterToning_filter1"), true);
    // 6. Background.
    Check(QStringLiteral("optToolChangeBg_color"), true);
    ShowOnly({"layToolChangeBg_customize", "layToolChangeBg_template", "layToolChangeBg_color"},
             "layToolChangeBg_color");
    Check(QStringLiteral("optToolChangeBg_color1"), true);
    // 7. Size.
    Check(QStringLiteral("optToolChangeSize_common"), true);
    ShowOnly({"layToolChangeSize_common", "layToolChangeSize_card"}, "layToolChangeSize_common");
    Check(QStringLiteral("optToolChangeSize_common_r0"), true);
    Check(QStringLiteral("optToolChangeSize_card_r0"), true);
    // 8. Batch tools.
    Check(QStringLiteral("optBatchTool_changeBg"), true);
    ShowOnly({"layBatchTool_changeBg", "layBatchTool_changeSize"}, "layBatchTool_changeBg");
    Check(QStringLiteral("optBatchToolChangeBg_color1"), true);
    Check(QStringLiteral("optBatchToolChangeSize_common_r0"), true);
}

}  // namespace quillora
