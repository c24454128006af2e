#include "canvas/document/ViewGeometry.h"

#include <algorithm>
#include <cmath>

namespace quillora::canvas {

float ViewGeometry::FitScale(int imageWidth, int imageHeight, int clientWidth, int clientHeight) {
    if (imageWidth <= 0 || imageHeight <= 0) {
        return 1.0f;
    }
    const float s = std::min(static_cast<float>(clientWidth) / static_cast<float>(imageWidth),
                             static_cast<float>(clientHeight) / static_cast<float>(imageHeight));
    const float truncated = std::trunc(s * 100.0f) / 100.0f;
    return std::max(truncated, kSmallestFitScale);
}

void ViewGeometry::Reset() {
    scale_ = 1.0f;
    fitScale_ = 1.0f;
    modeScale_.fill(1.0f);
    modeRect_.fill(RectF{});
    previousRect_ = {};
    viewRect_ = {};
    panOffset_ = {};
    imageWidth_ = 0;
    imageHeight_ = 0;
}

void ViewGeometry::SetImageSize(int width, int height) {
    imageWidth_ = std::max(width, 0);
    imageHeight_ = std::max(height, 0);
}

void ViewGeometry::SetClientSize(int width, int height) {
    clientWidth_ = std::max(width, 0);
    clientHeight_ = std::max(height, 0);
}

float ViewGeometry::CurrentFitScale() const {
    return FitScale(imageWidth_, imageHeight_, clientWidth_, clientHeight_);
}

void ViewGeometry::SetAllScales(float s) {
    scale_ = s;
    fitScale_ = s;
    modeScale_.fill(s);
}

RectF ViewGeometry::LayoutPage(EditMode mode) const {
    const float s = modeScale_[ModeIndex(mode)];
    RectF r;
    r.w = static_cast<float>(imageWidth_) * s;
    r.h = static_cast<float>(imageHeight_) * s;
    r.x = (static_cast<float>(clientWidth_) - r.w) * 0.5f;
    r.y = (static_cast<float>(clientHeight_) - r.h) * 0.5f;
    if (r.x < 0.0f) {
        r.x = panOffset_.x;
    }
    if (r.y < 0.0f) {
        r.y = panOffset_.y;
    }
    return r;
}

void ViewGeometry::LayoutAll() {
    for (int m = 0; m < kEditModeCount; ++m) {
        modeRect_[m] = LayoutPage(static_cast<EditMode>(m));
    }
}

void ViewGeometry::RescaleCutOutPage(float newScale) {
    scale_ = newScale;
    modeScale_[ModeIndex(EditMode::CutOut)] = newScale;
    RectF& rect = modeRect_[ModeIndex(EditMode::CutOut)];
    previousRect_ = rect;
    const float newWidth = static_cast<float>(imageWidth_) * newScale;
    const float newHeight = static_cast<float>(imageHeight_) * newScale;
    rect.x = (rect.w - newWidth) * 0.5f + rect.x;
    rect.y = (rect.h - newHeight) * 0.5f + rect.y;
    rect.w = newWidth;
    rect.h = newHeight;
}

bool ViewGeometry::ZoomIn(EditMode mode) {
    if (mode != EditMode::CutOut) {
        return false;
    }
    if (std::fabs(scale_ - kZoomMax) <= kZoomTolerance || scale_ > kZoomMax) {
        return false;
    }
    RescaleCutOutPage(scale_ + kZoomStep);
    return true;
}

bool ViewGeometry::ZoomOut(EditMode mode) {
    if (mode != EditMode::CutOut) {
        return false;
    }
    if (std::fabs(scale_ - kZoomMin) <= kZoomTolerance || scale_ < kZoomMin) {
        return false;
    }
    RescaleCutOutPage(scale_ - kZoomStep);
    return true;
}

bool ViewGeometry::ZoomToFit(EditMode mode) {
    if (mode != EditMode::CutOut) {
        return false;
    }
    RescaleCutOutPage(fitScale_);
    return true;
}

void ViewGeometry::PanBy(EditMode mode, float dx, float dy) {
    RectF& rect = modeRect_[ModeIndex(mode)];
    previousRect_ = rect;
    rect.x += dx;
    rect.y += dy;
}

void ViewGeometry::SelectPage(EditMode mode) {
    viewRect_ = modeRect_[ModeIndex(mode)];
    scale_ = modeScale_[ModeIndex(mode)];
}

PointF ViewGeometry::WindowToImage(PointF window) const {
    PointF image{window.x - viewRect_.x, window.y - viewRect_.y};
    if (scale_ != 1.0f) {
        image.x /= scale_;
        image.y /= scale_;
    }
    return image;
}

PointF ViewGeometry::ImageToWindow(PointF image) const {
    return {viewRect_.x + image.x * scale_, viewRect_.y + image.y * scale_};
}

}  // namespace quillora::canvas
