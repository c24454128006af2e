#include "canvas/effects/SoftBrush.h"

#include <algorithm>
#include <cmath>

#include "canvas/effects/EffectParams.h"

namespace quillora::canvas {

namespace {

constexpr int kSoftnessSpan = params::kBrushSoftness.maximum - params::kBrushSoftness.minimum;

float Feather(float radius, int softness) {
    const int s = params::kBrushSoftness.Clamp(softness) - params::kBrushSoftness.minimum;
    return radius * static_cast<float>(s) / static_cast<float>(kSoftnessSpan);
}

// A record as a capsule in target pixels: the segment between a and b (a
// single point for a dot) widened by radius.
struct Capsule {
    float ax, ay, bx, by;
    float radius;
    int softness;
};

Capsule ToCapsule(const StrokeRecord& r, int softness, const StrokeSpace& space) {
    const float ax = space.origin.x + r.x1 * space.scale;
    const float ay = space.origin.y + r.y1 * space.scale;
    Capsule c{ax, ay, ax, ay, static_cast<float>(r.size) * space.scale * 0.5f, softness};
    if (r.isSegment != 0) {
        c.bx = space.origin.x + r.x2 * space.scale;
        c.by = space.origin.y + r.y2 * space.scale;
    }
    return c;
}

bool IsDrawable(const StrokeRecord& r) {
    return r.enabled != 0 && r.size > 0 && std::isfinite(r.x1) && std::isfinite(r.y1) &&
           std::isfinite(r.x2) && std::isfinite(r.y2);
}

RectI CapsuleBox(const Capsule& c, int width, int height) {
    const float left = std::min(c.ax, c.bx) - c.radius;
    const float top = std::min(c.ay, c.by) - c.radius;
    const float right = std::max(c.ax, c.bx) + c.radius;
    const float bottom = std::max(c.ay, c.by) + c.radius;
    const int l = static_cast<int>(std::floor(std::clamp(left, 0.0f, float(width))));
    const int t = static_cast<int>(std::floor(std::clamp(top, 0.0f, float(height))));
    const int r = static_cast<int>(std::ceil(std::clamp(right, 0.0f, float(width))));
    const int b = static_cast<int>(std::ceil(std::clamp(bottom, 0.0f, float(height))));
    if (r <= l || b <= t) {
        return {};
    }
    return {l, t, r - l, b - t};
}

}  // namespace

RectI UnionOf(const RectI& a, const RectI& b) {
    if (a.IsEmpty()) {
        return b;
    }
    if (b.IsEmpty()) {
        return a;
    }
    const int l = std::min(a.x, b.x);
    const int t = std::min(a.y, b.y);
    const int r = std::max(a.x + a.w, b.x + b.w);
    const int bottom = std::max(a.y + a.h, b.y + b.h);
    return {l, t, r - l, bottom - t};
}

namespace {

void Accumulate(const Capsule& c, const RectI& box, CoverageMask& mask) {
    const float dx = c.bx - c.ax;
    const float dy = c.by - c.ay;
    const float lengthSquared = dx * dx + dy * dy;
    for (int y = box.y; y < box.y + box.h; ++y) {
        std::uint8_t* row =
            mask.values.data() + static_cast<std::size_t>(y - mask.box.y) * mask.box.w;
        const float py = static_cast<float>(y) + 0.5f - c.ay;
        for (int x = box.x; x < box.x + box.w; ++x) {
            const float px = static_cast<float>(x) + 0.5f - c.ax;
            float t = 0.0f;
            if (lengthSquared > 0.0f) {
                t = std::clamp((px * dx + py * dy) / lengthSquared, 0.0f, 1.0f);
            }
            const float ex = px - t * dx;
            const float ey = py - t * dy;
            const float coverage =
                BrushCoverage(std::sqrt(ex * ex + ey * ey), c.radius, c.softness);
            const auto level = static_cast<std::uint8_t>(std::lround(coverage * 255.0f));
            std::uint8_t& held = row[x - mask.box.x];
            held = std::max(held, level);
        }
    }
}

void Rasterise(const std::vector<Capsule>& capsules, int width, int height, CoverageMask& mask) {
    std::vector<RectI> boxes;
    boxes.reserve(capsules.size());
    RectI all{};
    for (const Capsule& c : capsules) {
        boxes.push_back(CapsuleBox(c, width, height));
        all = UnionOf(all, boxes.back());
    }
    mask.box = all;
    mask.values.assign(static_cast<std::size_t>(std::max(all.w, 0)) * std::max(all.h, 0), 0);
    for (std::size_t i = 0; i < capsules.size(); ++i) {
        if (!boxes[i].IsEmpty()) {
            Accumulate(capsules[i], boxes[i], mask);
        }
    }
}

// One pixel moved towards a target pixel by coverage c (1..255), both
// straight ARGB, blended on premultiplied colour.
std::uint32_t Blend(std::uint32_t pixel, std::uint32_t target, std::uint32_t c) {
    if (c == 255) {
        return target;
    }
    const std::uint32_t keep = 255 - c;
    const std::uint32_t a0 = pixel >> 24;
    const std::uint32_t a1 = target >> 24;
    const std::uint32_t w0 = a0 * keep;  // weights of the two colours, x 255
    const std::uint32_t w1 = a1 * c;
    const std::uint32_t total = w0 + w1;
    if (total == 0) {
        return 0;
    }
    std::uint32_t out = ((total + 127) / 255) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t c0 = (pixel >> shift) & 0xFFu;
        const std::uint32_t c1 = (target >> shift) & 0xFFu;
        out |= ((c0 * w0 + c1 * w1 + total / 2) / total) << shift;
    }
    return out;
}

bool CanBlend(const QImage& image, const CoverageMask& mask) {
    return !image.isNull() && image.format() == QImage::Format_ARGB32 && !mask.box.IsEmpty() &&
           mask.box.x >= 0 && mask.box.y >= 0 && mask.box.x + mask.box.w <= image.width() &&
           mask.box.y + mask.box.h <= image.height();
}

}  // namespace

bool IsHardBrush(int softness) {
    return softness <= params::kBrushSoftness.minimum;
}

float BrushCoverage(float distance, float radius, int softness) {
    if (!(distance < radius)) {
        return 0.0f;
    }
    const float feather = Feather(radius, softness);
    const float inside = radius - distance;
    if (inside >= feather) {
        return 1.0f;
    }
    const float t = inside / feather;
    return t * t * (3.0f - 2.0f * t);
}

std::vector<StrokeRun> SplitIntoRuns(const StrokeList& records,
                                     const std::vector<std::uint8_t>& softness, std::size_t from) {
    std::vector<StrokeRun> runs;
    for (std::size_t i = from; i < records.size(); ++i) {
        const bool hard = i >= softness.size() || IsHardBrush(softness[i]);
        if (!runs.empty()) {
            StrokeRun& last = runs.back();
            const StrokeRecord& previous = records[last.end - 1];
            const bool sameSoftStroke = !hard && !last.hard && previous.group == records[i].group &&
                                        previous.kind == records[i].kind;
            if ((hard && last.hard) || sameSoftStroke) {
                last.end = i + 1;
                continue;
            }
        }
        runs.push_back({i, i + 1, hard});
    }
    return runs;
}

void RasteriseCoverage(const StrokeList& records, const std::vector<std::uint8_t>& softness,
                       std::size_t begin, std::size_t end, const StrokeSpace& space, int width,
                       int height, CoverageMask& mask) {
    std::vector<Capsule> capsules;
    for (std::size_t i = begin; i < end && i < records.size(); ++i) {
        if (IsDrawable(records[i])) {
            const int s = i < softness.size() ? softness[i] : params::kBrushSoftness.initial;
            capsules.push_back(ToCapsule(records[i], s, space));
        }
    }
    Rasterise(capsules, width, height, mask);
}

void RasteriseDisc(PointF centre, float diameter, int softness, int width, int height,
                   CoverageMask& mask) {
    std::vector<Capsule> capsules;
    if (std::isfinite(centre.x) && std::isfinite(centre.y) && diameter > 0.0f) {
        capsules.push_back({centre.x, centre.y, centre.x, centre.y, diameter * 0.5f, softness});
    }
    Rasterise(capsules, width, height, mask);
}

void BlendTowardsPicture(QImage& image, const QImage& target, const CoverageMask& mask) {
    if (!CanBlend(image, mask) || !CanBlend(target, mask)) {
        return;
    }
    for (int y = mask.box.y; y < mask.box.y + mask.box.h; ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        const auto* in = reinterpret_cast<const std::uint32_t*>(target.constScanLine(y));
        for (int x = mask.box.x; x < mask.box.x + mask.box.w; ++x) {
            const std::uint32_t c = mask.At(x, y);
            if (c != 0) {
                out[x] = Blend(out[x], in[x], c);
            }
        }
    }
}

void BlendTowardsColour(QImage& image, Argb colour, const CoverageMask& mask) {
    if (!CanBlend(image, mask)) {
        return;
    }
    for (int y = mask.box.y; y < mask.box.y + mask.box.h; ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = mask.box.x; x < mask.box.x + mask.box.w; ++x) {
            const std::uint32_t c = mask.At(x, y);
            if (c != 0) {
                out[x] = Blend(out[x], colour, c);
            }
        }
    }
}

}  // namespace quillora::canvas
