#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace quillora::ui {

// The display scale the program runs at, as a Windows-style DPI value (96 is
// 100 %). Qt already lays out widgets in device-independent pixels, so widget
// geometry is never scaled by hand; Scale() and ScaleBack() convert between
// those pixels and device pixels for back buffers and bitmaps.
class CDPI {
public:
    // The primary screen's density: 96 times its device pixel ratio.
    static int GetMainMonitorDPI();

    // Values below 96 count as 96.
    void SetScale(int dpi);
    int GetDPI() const { return dpi_; }
    // Percent: 100, 125, 150, 200.
    int GetScale() const;
    void SetAware(bool aware) { aware_ = aware; }
    bool IsAware() const { return aware_; }

    int Scale(int value) const;
    int ScaleBack(int value) const;
    QPoint Scale(QPoint p) const { return {Scale(p.x()), Scale(p.y())}; }
    QSize Scale(QSize s) const { return {Scale(s.width()), Scale(s.height())}; }
    QRect Scale(const QRect& r) const { return {Scale(r.topLeft()), Scale(r.size())}; }

private:
    int dpi_ = 96;
    bool aware_ = false;
};

}  // namespace quillora::ui
