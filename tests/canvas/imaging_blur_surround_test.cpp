#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>
#include <random>

#include "canvas/imaging/Effects.h"

namespace quillora::imaging {
namespace {

// A blob of varied pixels at (x, y) of size w x h in a wholly zero picture;
// a few pixels in it are transparent with colour left in them.
QImage SubjectOnClear(int width, int height, QRect subject, unsigned start) {
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(0u);
    std::mt19937 random(start);
    for (int y = subject.top(); y <= subject.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = subject.left(); x <= subject.right(); ++x) {
            const int alpha = (x + y) % 17 == 0 ? 0 : int(random() % 256);
            row[x] = qRgba(int(random() % 256), (x * 3) & 255, (y * 5) & 255, alpha);
        }
    }
    return picture;
}

QImage Blurred(QImage picture, float radius, bool expandEdge, bool skip) {
    setClearSurroundSkipped(skip);
    EXPECT_TRUE(gaussianBlur(picture, radius, expandEdge));
    setClearSurroundSkipped(true);
    return picture;
}

TEST(BlurClearSurround, SameBitsAsBlurringTheWholePicture) {
    // Subjects in the middle, touching each edge, and a single pixel; box
    // passes (large radius) and exact weights (small radius).
    const QRect subjects[] = {QRect(300, 200, 240, 300), QRect(0, 0, 120, 90),
                              QRect(880, 650, 120, 100), QRect(0, 400, 1000, 50),
                              QRect(512, 380, 1, 1)};
    unsigned start = 1;
    for (const QRect& subject : subjects) {
        const QImage picture = SubjectOnClear(1000, 750, subject, start++);
        for (float radius : {3.0f, 20.0f, 61.0f}) {
            const QImage whole = Blurred(picture, radius, true, false);
            const QImage skipped = Blurred(picture, radius, true, true);
            EXPECT_NE(whole, picture);
            EXPECT_EQ(skipped, whole) << subject.x() << "," << subject.y() << " r " << radius;
        }
    }
    // Nothing at all: stays zero.
    QImage clear(900, 700, QImage::Format_ARGB32);
    clear.fill(0u);
    EXPECT_EQ(Blurred(clear, 20.0f, true, true), clear);
}

TEST(BlurClearSurround, EdgesThatExtendAreLeftToTheWholeBlur) {
    // Without the transparent outside the border pixels extend inwards, so
    // the surround cannot be skipped; the result must not depend on it.
    const QImage picture = SubjectOnClear(1000, 750, QRect(0, 0, 200, 750), 9);
    EXPECT_EQ(Blurred(picture, 20.0f, false, true), Blurred(picture, 20.0f, false, false));
}

}  // namespace
}  // namespace quillora::imaging
