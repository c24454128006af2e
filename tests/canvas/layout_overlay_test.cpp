#include <gtest/gtest.h>

#include <QImage>

#include <set>
#include <utility>

#include "canvas/layout/Overlays.h"

namespace quillora::canvas {
namespace {

using Pixels = std::set<std::pair<int, int>>;

void AddRow(Pixels& p, int x0, int x1, int y, int step = 1) {
    for (int x = x0; x <= x1; x += step) {
        p.insert({x, y});
    }
}

void AddColumn(Pixels& p, int x, int y0, int y1, int step = 1) {
    for (int y = y0; y <= y1; y += step) {
        p.insert({x, y});
    }
}

// Every pixel must be overlay blue exactly where expected and untouched
// (transparent) elsewhere.
void ExpectOnly(const QImage& image, const Pixels& expected) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool wanted = expected.count({x, y}) > 0;
            const QRgb pixel = image.pixel(x, y);
            if (wanted) {
                ASSERT_EQ(pixel, kOverlayColour) << "(" << x << ", " << y << ")";
            } else {
                ASSERT_EQ(qAlpha(pixel), 0) << "(" << x << ", " << y << ")";
            }
        }
    }
}

QImage Blank(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(0u);
    return image;
}

TEST(LayoutOverlayTest, CropBoxFrameThirdsAndCornerMarks) {
    QImage image = Blank(62, 50);
    {
        imaging::Surface surface(image);
        // Inner frame: x0 = 6, y0 = 5, w0 = 48, h0 = 38 (right 54, bottom 43).
        DrawCropOverlay(surface, {5.7f, 4.2f, 50.9f, 40.5f});
    }
    Pixels p;
    AddRow(p, 6, 54, 5);
    AddRow(p, 6, 54, 43);
    AddColumn(p, 6, 5, 43);
    AddColumn(p, 54, 5, 43);
    // Thirds: 5 + 38/3 = 17, 5 + 76/3 = 30; 6 + 48/3 = 22, 6 + 96/3 = 38;
    // every other pixel from the frame's edge.
    AddRow(p, 6, 54, 17, 2);
    AddRow(p, 6, 54, 30, 2);
    AddColumn(p, 22, 5, 43, 2);
    AddColumn(p, 38, 5, 43, 2);
    // Corner marks 2 inside, legs from 2 to 20 away from each corner.
    AddRow(p, 8, 26, 7);
    AddColumn(p, 8, 7, 25);
    AddRow(p, 34, 52, 7);
    AddColumn(p, 52, 7, 25);
    AddRow(p, 8, 26, 41);
    AddColumn(p, 8, 23, 41);
    AddRow(p, 34, 52, 41);
    AddColumn(p, 52, 23, 41);
    ExpectOnly(image, p);
}

TEST(LayoutOverlayTest, PlacementFrameWithCornerSquares) {
    QImage image = Blank(64, 56);
    {
        imaging::Surface surface(image);
        // Inner frame: (21, 16) to (49, 34).
        DrawPlacementOverlay(surface, {20.5f, 15.9f, 30.2f, 20.8f});
    }
    Pixels p;
    AddRow(p, 21, 49, 16);
    AddRow(p, 21, 49, 34);
    AddColumn(p, 21, 16, 34);
    AddColumn(p, 49, 16, 34);
    for (int cx : {21, 49}) {
        for (int cy : {16, 34}) {
            AddRow(p, cx - 10, cx + 10, cy - 10);
            AddRow(p, cx - 10, cx + 10, cy + 10);
            AddColumn(p, cx - 10, cy - 10, cy + 10);
            AddColumn(p, cx + 10, cy - 10, cy + 10);
        }
    }
    ExpectOnly(image, p);
}

TEST(LayoutOverlayTest, ABoxTooSmallForAFrameDrawsNothing) {
    QImage image = Blank(10, 10);
    {
        imaging::Surface surface(image);
        DrawCropOverlay(surface, {2.0f, 2.0f, 1.5f, 8.0f});
        DrawPlacementOverlay(surface, {2.0f, 2.0f, 8.0f, 1.0f});
    }
    ExpectOnly(image, {});
}

}  // namespace
}  // namespace quillora::canvas
