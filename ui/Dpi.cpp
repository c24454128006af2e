#include "ui/Dpi.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <cstdlib>

namespace quillora::ui {

namespace {
constexpr int kBaseDpi = 96;

// value * numerator / denominator, rounded half away from zero.
int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    const long long rounded =
        product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    return static_cast<int>(rounded);
}
}  // namespace

int CDPI::GetMainMonitorDPI() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return kBaseDpi;
    }
    return static_cast<int>(std::lround(kBaseDpi * screen->devicePixelRatio()));
}

void CDPI::SetScale(int dpi) {
    dpi_ = dpi < kBaseDpi ? kBaseDpi : dpi;
}

int CDPI::GetScale() const {
    return MulDiv(dpi_, 100, kBaseDpi);
}

int CDPI::Scale(int value) const {
    return MulDiv(value, dpi_, kBaseDpi);
}

int CDPI::ScaleBack(int value) const {
    return MulDiv(value, kBaseDpi, dpi_);
}

}  // namespace quillora::ui
