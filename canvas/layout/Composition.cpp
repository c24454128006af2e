#include "canvas/layout/Composition.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "canvas/effects/ShadowBorder.h"
#include "canvas/imaging/Parallel.h"
#include "canvas/imaging/Surface.h"
#include "canvas/layout/Overlays.h"

namespace quillora::canvas {

RectF CutOutRect(const LayerStack& stack) {
    if (UsesPlacement(stack.page)) {
        return stack.placement;
    }
    return {0.0f, 0.0f, static_cast<float>(stack.size.width()),
            static_cast<float>(stack.size.height())};
}

RectF PartRect(const RectF& rect, const QSize& fullSize, const QRect& part) {
    if (part.isNull() || fullSize.isEmpty()) {
        return rect;
    }
    const float sx = rect.w / static_cast<float>(fullSize.width());
    const float sy = rect.h / static_cast<float>(fullSize.height());
    return {rect.x + static_cast<float>(part.x()) * sx, rect.y + static_cast<float>(part.y()) * sy,
            static_cast<float>(part.width()) * sx, static_cast<float>(part.height()) * sy};
}

QRect NeededPart(const RectF& rect, const QSize& fullSize, const QRect& area, int margin) {
    if (fullSize.isEmpty() || !(rect.w > 0.0f && rect.h > 0.0f) || area.isEmpty()) {
        return {};
    }
    // Layer pixels per picture pixel along each axis.
    const double sx = fullSize.width() / static_cast<double>(rect.w);
    const double sy = fullSize.height() / static_cast<double>(rect.h);
    // One more pixel on each side for the smooth scaling's neighbours.
    const int reach = margin + 1;
    const double left = std::floor((area.left() - rect.x) * sx) - reach;
    const double top = std::floor((area.top() - rect.y) * sy) - reach;
    const double right = std::ceil((area.left() + area.width() - rect.x) * sx) + reach;
    const double bottom = std::ceil((area.top() + area.height() - rect.y) * sy) + reach;
    const double w = fullSize.width();
    const double h = fullSize.height();
    const int x0 = static_cast<int>(std::clamp(left, 0.0, w));
    const int y0 = static_cast<int>(std::clamp(top, 0.0, h));
    const int x1 = static_cast<int>(std::clamp(right, 0.0, w));
    const int y1 = static_cast<int>(std::clamp(bottom, 0.0, h));
    if (x1 <= x0 || y1 <= y0) {
        return {};
    }
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

namespace {

// One straight-alpha pixel over another (source over).
inline std::uint32_t Over(std::uint32_t src, std::uint32_t dst) {
    const std::uint32_t sa = src >> 24;
    if (sa == 255) {
        return src;
    }
    if (sa == 0) {
        return dst;
    }
    const std::uint32_t da = dst >> 24;
    // Weights in 1/(255 * 255): the source's sa * 255, what shows of the
    // destination da * (255 - sa).
    const std::uint32_t ws = sa * 255;
    const std::uint32_t wd = da * (255 - sa);
    const std::uint32_t total = ws + wd;
    const auto channel = [&](int shift) {
        const std::uint32_t c =
            (((src >> shift) & 0xFFu) * ws + ((dst >> shift) & 0xFFu) * wd + total / 2) / total;
        return c << shift;
    };
    const std::uint32_t alpha = (total + 127) / 255;
    return (alpha << 24) | channel(16) | channel(8) | channel(0);
}

// A layer drawn at its own size on whole pixels needs no resampling: it is
// blended row by row straight into the target, on every core. False when the
// layer is not placed that way (the painter draws it then).
bool BlendOneToOne(QImage& target, const QRect& area, const QImage& image, const RectF& r) {
    const float x = std::round(r.x);
    const float y = std::round(r.y);
    if (x != r.x || y != r.y || r.w != static_cast<float>(image.width()) ||
        r.h != static_cast<float>(image.height()) || image.format() != QImage::Format_ARGB32 ||
        std::abs(x) > 1e8f || std::abs(y) > 1e8f) {
        return false;
    }
    // The layer in target pixels, cut to the target.
    const QRect placed(static_cast<int>(x) - area.x(), static_cast<int>(y) - area.y(),
                       image.width(), image.height());
    const QRect drawn = placed.intersected(target.rect());
    if (drawn.isEmpty()) {
        return true;
    }
    const int dx = drawn.x() - placed.x();
    const int dy = drawn.y() - placed.y();
    const int width = drawn.width();
    const int rows = drawn.height();
    const int bands = rows * qint64{width} < (qint64{1} << 18)
                          ? 1
                          : std::min(rows, imaging::parallelThreadCount() * 8);
    return imaging::parallelFor(bands, [&](int band) {
        const int first = static_cast<int>(qint64{rows} * band / bands);
        const int end = static_cast<int>(qint64{rows} * (band + 1) / bands);
        for (int row = first; row < end; ++row) {
            const auto* src =
                reinterpret_cast<const std::uint32_t*>(image.constScanLine(dy + row)) + dx;
            auto* dst =
                reinterpret_cast<std::uint32_t*>(target.scanLine(drawn.y() + row)) + drawn.x();
            for (int i = 0; i < width; ++i) {
                dst[i] = Over(src[i], dst[i]);
            }
        }
    });
}

// Where one axis of a stretched layer samples its picture: for each target
// pixel whose centre lies in the layer, the two neighbouring picture pixels
// and the weight of the second.
struct AxisSamples {
    int first = 0;  // the first target pixel covered
    std::vector<int> low;
    std::vector<float> weight;
};

AxisSamples SampleAxis(float start, float length, int pictureLength, int targetLength) {
    AxisSamples axis;
    const double step = pictureLength / static_cast<double>(length);
    const int first = std::max(0, static_cast<int>(std::ceil(start - 0.5)));
    const int end = std::min(targetLength, static_cast<int>(std::ceil(start + length - 0.5)));
    axis.first = first;
    for (int p = first; p < end; ++p) {
        const double u = std::clamp((p + 0.5 - start) * step - 0.5, 0.0, pictureLength - 1.0);
        const int low = std::min(static_cast<int>(u), pictureLength - 1);
        axis.low.push_back(low);
        axis.weight.push_back(static_cast<float>(u - low));
    }
    return axis;
}

// A layer stretched by a factor near 1 (the border ring of a saved picture):
// sampled bilinearly, colour weighed by alpha, and blended straight into the
// target on every core. False when the stretch is far from 1 or the layer is
// not ARGB32 (the painter draws it then).
bool BlendStretched(QImage& target, const QRect& area, const QImage& image, const RectF& r) {
    if (image.format() != QImage::Format_ARGB32 || !(r.w > 0.0f && r.h > 0.0f)) {
        return false;
    }
    const float sx = r.w / static_cast<float>(image.width());
    const float sy = r.h / static_cast<float>(image.height());
    if (sx < 0.5f || sx > 2.0f || sy < 0.5f || sy > 2.0f || std::abs(r.x) > 1e8f ||
        std::abs(r.y) > 1e8f) {
        return false;
    }
    const AxisSamples xs =
        SampleAxis(r.x - static_cast<float>(area.x()), r.w, image.width(), target.width());
    const AxisSamples ys =
        SampleAxis(r.y - static_cast<float>(area.y()), r.h, image.height(), target.height());
    const int columns = static_cast<int>(xs.low.size());
    const int rows = static_cast<int>(ys.low.size());
    if (columns == 0 || rows == 0) {
        return true;
    }
    const int lastColumn = image.width() - 1;
    const int lastRow = image.height() - 1;
    const int bands = qint64{rows} * columns < (qint64{1} << 18)
                          ? 1
                          : std::min(rows, imaging::parallelThreadCount() * 8);
    return imaging::parallelFor(bands, [&](int band) {
        const int first = static_cast<int>(qint64{rows} * band / bands);
        const int end = static_cast<int>(qint64{rows} * (band + 1) / bands);
        for (int j = first; j < end; ++j) {
            const int y0 = ys.low[std::size_t(j)];
            const float fy = ys.weight[std::size_t(j)];
            const auto* top = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y0));
            const auto* bottom = reinterpret_cast<const std::uint32_t*>(
                image.constScanLine(std::min(y0 + 1, lastRow)));
            auto* dst = reinterpret_cast<std::uint32_t*>(target.scanLine(ys.first + j)) + xs.first;
            for (int i = 0; i < columns; ++i) {
                const int x0 = xs.low[std::size_t(i)];
                const int x1 = std::min(x0 + 1, lastColumn);
                const float fx = xs.weight[std::size_t(i)];
                const std::uint32_t taps[4] = {top[x0], top[x1], bottom[x0], bottom[x1]};
                // Inside and outside the shape the four agree: nothing to
                // mix (most of a ring is one or the other).
                if (taps[0] == taps[1] && taps[0] == taps[2] && taps[0] == taps[3]) {
                    if ((taps[0] >> 24) != 0) {
                        dst[i] = Over(taps[0], dst[i]);
                    }
                    continue;
                }
                const float weights[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy,
                                          fx * fy};
                float a = 0, red = 0, green = 0, blue = 0;
                for (int k = 0; k < 4; ++k) {
                    const float wa = weights[k] * static_cast<float>(taps[k] >> 24);
                    a += wa;
                    red += wa * static_cast<float>((taps[k] >> 16) & 0xFFu);
                    green += wa * static_cast<float>((taps[k] >> 8) & 0xFFu);
                    blue += wa * static_cast<float>(taps[k] & 0xFFu);
                }
                const auto alpha = static_cast<std::uint32_t>(a + 0.5f);
                if (alpha == 0) {
                    continue;
                }
                const auto channel = [&](float sum) {
                    return std::min(255u, static_cast<std::uint32_t>(sum / a + 0.5f));
                };
                const std::uint32_t src = (std::min(alpha, 255u) << 24) | (channel(red) << 16) |
                                          (channel(green) << 8) | channel(blue);
                dst[i] = Over(src, dst[i]);
            }
        }
    });
}

void DrawLayer(imaging::Surface& surface, QImage& target, const QRect& area,
               const LayerPicture& layer, const RectF& rect, const QSize& fullSize,
               bool forExport) {
    if (layer.image.isNull()) {
        return;
    }
    const RectF r = PartRect(rect, fullSize, layer.part);
    if (BlendOneToOne(target, area, layer.image, r)) {
        return;
    }
    // The saved picture only: the screen keeps the painter's drawing.
    if (forExport && BlendStretched(target, area, layer.image, r)) {
        return;
    }
    surface.drawImage(QRectF(r.x, r.y, r.w, r.h), layer.image);
}

}  // namespace

bool ComposeLayers(QImage& target, const QRect& area, const LayerStack& stack) {
    if (target.isNull() || target.format() != QImage::Format_ARGB32 ||
        target.size() != area.size()) {
        return false;
    }
    // Filled directly: a painter would store transparent white as
    // transparent black.
    target.fill(kClearColour);
    imaging::Surface surface(target);
    if (!surface.isValid()) {
        return false;
    }
    surface.painter().translate(-area.x(), -area.y());
    const QRectF whole(0.0, 0.0, stack.size.width(), stack.size.height());
    DrawBackgroundLayer(surface, whole, stack.background, stack.page, stack.forExport);
    const RectF cut = CutOutRect(stack);
    if (stack.forExport || stack.page != EditMode::CutOut) {
        if (AlphaOf(stack.shadowParams.colour) != 0) {
            DrawLayer(surface, target, area, stack.shadow,
                      ShadowRect(stack.shadowParams, stack.scale, cut), stack.size,
                      stack.forExport);
        }
        if (AlphaOf(stack.borderParams.colour) != 0) {
            DrawLayer(surface, target, area, stack.border,
                      BorderRect(stack.borderParams, stack.scale, cut), stack.size,
                      stack.forExport);
        }
    }
    DrawLayer(surface, target, area, stack.cutOut, cut, stack.size, stack.forExport);
    if (!stack.forExport) {
        if (stack.showCropBox) {
            DrawCropOverlay(surface, stack.cropBox);
        }
        if (stack.showPlacementFrame) {
            DrawPlacementOverlay(surface, stack.placement);
        }
    }
    return true;
}

}  // namespace quillora::canvas
