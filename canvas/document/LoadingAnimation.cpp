#include "canvas/document/LoadingAnimation.h"

#include "canvas/imaging/Imaging.h"

namespace quillora::canvas {

bool LoadingAnimation::Load(const QString& path) {
    imaging::AnimationFrames decoded = imaging::decodeAnimation(path);
    frames_ = std::move(decoded.frames);
    delaysMs_ = std::move(decoded.delaysMs);
    index_ = 0;
    return !frames_.empty();
}

const QImage& LoadingAnimation::CurrentFrame() const {
    static const QImage kNone;
    if (frames_.empty()) {
        return kNone;
    }
    return frames_[static_cast<std::size_t>(index_)];
}

void LoadingAnimation::Advance() {
    if (frames_.empty()) {
        return;
    }
    index_ = (index_ + 1) % FrameCount();
}

}  // namespace quillora::canvas
