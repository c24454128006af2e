#pragma once

#include <opencv2/core/mat.hpp>

namespace quillora::service {

// Which sides of the picture are taken to show background. A portrait's body
// runs out of the bottom edge, so that side is left out for people.
struct BackgroundSides {
    bool top = true;
    bool bottom = true;
    bool left = true;
    bool right = true;
};

// The colours along the picture's edges, as a few clusters in Lab.
struct BorderColours {
    cv::Mat centres;           // K x 3, float Lab
    cv::Mat spreads;           // K x 1, float, root mean square distance inside each cluster
    double typicalSpread = 0;  // over all edge samples: small for a plain backdrop
    double mainShare = 0;      // share of edge samples near the largest cluster
};

// Clusters the Lab colours of a strip along the chosen sides.
BorderColours LearnBorderColours(const cv::Mat& lab, const BackgroundSides& sides);

// Per pixel, the distance to the nearest edge colour in units of that
// cluster's spread (float, 0 for the backdrop's own colours).
cv::Mat DistanceFromBorderColours(const cv::Mat& lab, const BorderColours& colours);

// Minimum barrier distance to the chosen sides, summed over the Lab channels:
// how large a colour step any path from the pixel to those edges has to
// climb. Regions set off by a closed outline score high, the backdrop low.
cv::Mat BarrierDistance(const cv::Mat& lab, const BackgroundSides& sides);

// Lab as float in OpenCV's 8-bit scaling (L 0..255, a and b centred on 128).
cv::Mat ToLab(const cv::Mat& bgr);

}  // namespace quillora::service
