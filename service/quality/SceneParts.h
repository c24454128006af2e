#pragma once

#include <opencv2/core.hpp>

#include "service/quality/SyntheticScenes.h"

// Pieces the scene generator is built from; only SyntheticScenes.cpp uses them.
namespace quillora::service::scene {

// Uniform number in [low, high).
inline double Uniform(cv::RNG& rng, double low, double high) {
    return rng.uniform(low, high);
}

// A foreground: its colours (BGR, 8-bit, meaningful where alpha > 0) and its
// coverage at the scene's size.
struct Foreground {
    cv::Mat colour;
    cv::Mat alpha;
};

// Draws at `supersample` times the size and reduces by area, so edges carry
// the fractional coverage a camera would record.
Foreground MakeObject(cv::RNG& rng, cv::Size size, int supersample, const ScenePhotos& photos);
Foreground MakePerson(cv::RNG& rng, cv::Size size, int supersample, const ScenePhotos& photos);

// Textures and backgrounds, all 8-bit BGR at the given size.
cv::Mat DrawnTexture(cv::RNG& rng, cv::Size size);
cv::Mat PhotoTexture(cv::RNG& rng, cv::Size size, const ScenePhotos& photos);
cv::Mat PlainBackdrop(cv::RNG& rng, cv::Size size, const cv::Scalar& avoidColour);
// `photo` empty: drawn clutter instead of a photograph.
cv::Mat ClutteredBackground(cv::RNG& rng, cv::Size size, const cv::Mat& photo);

// Mean colour of the foreground where it is mostly opaque.
cv::Scalar MeanForegroundColour(const Foreground& foreground);

}  // namespace quillora::service::scene
