#include "workspace/core/panels/PanelParameters.h"

#include <limits>

namespace quillora::panels {

namespace {

namespace p = canvas::params;

constexpr SliderRow Row(const char* slider, const char* edit, CanvasValue target,
                        canvas::IntParam range, int offset = 0) {
    return SliderRow{slider, edit, target, range, offset, range.initial};
}

constexpr std::array<SliderRow, kSliderRowCount> kRows{{
    Row("sliderToolQuillora_size", "edtToolQuillora_size", CanvasValue::BrushSize, p::kBrushSize),
    Row("sliderToolQuillora_soft", "edtToolQuillora_soft", CanvasValue::BrushSoftness,
        p::kBrushSoftness),
    Row("sliderToolShadow_dis", "edtToolShadow_dis", CanvasValue::ShadowDistance,
        p::kShadowDistance),
    Row("sliderToolShadow_angle", "edtToolShadow_angle", CanvasValue::ShadowAngle, p::kShadowAngle),
    Row("sliderToolShadow_blur", "edtToolShadow_blur", CanvasValue::ShadowBlur, p::kShadowBlur),
    Row("sliderToolShadow_transparent", "edtToolShadow_transparent",
        CanvasValue::ShadowTransparency, p::kShadowTransparency),
    Row("sliderToolBorder_thickness", "edtToolBorder_thickness", CanvasValue::BorderThickness,
        p::kBorderThickness),
    Row("sliderToolBorder_transparent", "edtToolBorder_transparent",
        CanvasValue::BorderTransparency, p::kBorderTransparency),
    Row("sliderToolFilterToning_brightness", "edtToolFilterToning_brightness",
        CanvasValue::Brightness, p::kBrightness, p::kToningSliderOffset),
    Row("sliderToolFilterToning_contrast", "edtToolFilterToning_contrast", CanvasValue::Contrast,
        p::kContrast, p::kToningSliderOffset),
    Row("sliderToolFilterToning_saturation", "edtToolFilterToning_saturation",
        CanvasValue::Saturation, p::kSaturation, p::kToningSliderOffset),
    Row("sliderToolFilterToning_blurry", "edtToolFilterToning_blurry", CanvasValue::Blurry,
        p::kBlurry),
    Row("sliderToolFilterToning_sharpen", "edtToolFilterToning_sharpen", CanvasValue::Sharpen,
        p::kSharpen),
    Row("sliderToolFilterToning_transparency", "edtToolFilterToning_transparency",
        CanvasValue::FilterTransparency, p::kFilterTransparency),
}};

}  // namespace

const std::array<SliderRow, kSliderRowCount>& SliderRows() {
    return kRows;
}

const SliderRow* FindRowBySlider(QStringView name) {
    for (const SliderRow& row : kRows) {
        if (name == QLatin1StringView(row.slider)) {
            return &row;
        }
    }
    return nullptr;
}

const SliderRow* FindRowByEdit(QStringView name) {
    for (const SliderRow& row : kRows) {
        if (name == QLatin1StringView(row.edit)) {
            return &row;
        }
    }
    return nullptr;
}

QString EditText(int value) {
    return QString::number(value);
}

std::optional<int> ParseDecimal(QStringView text) {
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    const qlonglong wide = trimmed.toLongLong(&ok, 10);
    if (!ok || wide < std::numeric_limits<int>::min() || wide > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(wide);
}

EditReading ReadEditText(const SliderRow& row, const QString& text) {
    const QStringView trimmed = QStringView(text).trimmed();
    std::optional<int> parsed = ParseDecimal(trimmed);
    EditReading reading;
    if (!parsed) {
        // A run of digits too long for an int still means "a lot" (or "very
        // little" with a minus sign); anything else reads as 0.
        bool digits = !trimmed.isEmpty();
        const QStringView body = trimmed.startsWith(u'-') ? trimmed.mid(1) : trimmed;
        for (QChar c : body) {
            digits = digits && c.isDigit();
        }
        if (digits && !body.isEmpty()) {
            parsed = trimmed.startsWith(u'-') ? std::numeric_limits<int>::min()
                                              : std::numeric_limits<int>::max();
        } else {
            parsed = 0;
        }
    }
    const int typed = *parsed;
    reading.above = typed > row.range.maximum;
    reading.below = typed < row.range.minimum;
    reading.value = row.range.Clamp(typed);
    reading.correctNow = reading.above || (reading.below && typed < 0);
    return reading;
}

}  // namespace quillora::panels
