#pragma once

#include "canvas/effects/EffectParams.h"

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The numbers behind the tool panels: which slider mirrors which edit box,
// the range each value is held to, where a slider's position differs from
// the value it stands for, and what each value becomes after a reset. The
// ranges are the canvas's own (canvas/effects/EffectParams.h), so the panel
// never offers a value the canvas would refuse.
namespace quillora::panels {

// The canvas value a slider drives.
enum class CanvasValue {
    BrushSize,
    BrushSoftness,
    ShadowDistance,
    ShadowAngle,
    ShadowBlur,
    ShadowTransparency,
    BorderThickness,
    BorderTransparency,
    Brightness,
    Contrast,
    Saturation,
    Blurry,
    Sharpen,
    FilterTransparency,
};

struct SliderRow {
    const char* slider;
    const char* edit;
    CanvasValue target;
    // The value's range; the slider runs over the same range shifted by
    // sliderOffset.
    canvas::IntParam range;
    // Position = value + sliderOffset (50 for the signed toning values, whose
    // sliders run 0..100).
    int sliderOffset;
    // What the row shows after a reset: the value a freshly loaded photo has
    // in the canvas, so that the panel and the picture agree.
    int resetValue;
};

inline constexpr int kSliderRowCount = 14;

const std::array<SliderRow, kSliderRowCount>& SliderRows();
// The row of a slider or of an edit box, by control name; null for others.
const SliderRow* FindRowBySlider(QStringView name);
const SliderRow* FindRowByEdit(QStringView name);

inline int ValueFromPosition(const SliderRow& row, int position) {
    return position - row.sliderOffset;
}
inline int PositionFromValue(const SliderRow& row, int value) {
    return value + row.sliderOffset;
}
// The edit box text of a value ("%d").
QString EditText(int value);

// What typing into an edit box gives. The text is read as a decimal integer
// (anything else reads as 0) and held to the row's range. Where typing more
// digits cannot bring the number back into the range (above it, or negative
// below it) the box shows the bound at once; a positive number below the
// range is only corrected when the box is left, so that a number can be
// typed digit by digit ("5" on the way to "50").
struct EditReading {
    int value = 0;            // the value to apply, inside the range
    bool above = false;       // the text asked for more than the range allows
    bool below = false;       // the text asked for less than the range allows
    bool correctNow = false;  // the box shows `value` at once
};
EditReading ReadEditText(const SliderRow& row, const QString& text);

// A decimal integer the way the panels read one: optional sign, digits,
// surrounding blanks allowed; nullopt for anything else or an overflow.
std::optional<int> ParseDecimal(QStringView text);

}  // namespace quillora::panels
