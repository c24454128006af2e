#pragma once

#include <QImage>
#include <QString>

#include <vector>

namespace quillora::canvas {

// The frames of the "please wait" animation shown over the source while the
// cut-out is on its way. The canvas advances it on its own timer; the delays
// stored in the file are kept but the canvas ticks at its fixed period.
class LoadingAnimation {
public:
    static constexpr int kPeriodMs = 50;

    // Reads every frame; false (and no frames) when the file cannot be read.
    bool Load(const QString& path);

    int FrameCount() const { return static_cast<int>(frames_.size()); }
    int FrameIndex() const { return index_; }
    const std::vector<int>& FrameDelaysMs() const { return delaysMs_; }
    // The frame to show; a null image when there are no frames.
    const QImage& CurrentFrame() const;

    // The next frame, back to frame 0 after the last.
    void Advance();
    void SelectFirst() { index_ = 0; }

private:
    std::vector<QImage> frames_;
    std::vector<int> delaysMs_;
    int index_ = 0;
};

}  // namespace quillora::canvas
