#include "service/quality/SyntheticScenes.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include <algorithm>
#include <string_view>

#include "service/quality/SceneParts.h"
#include "service/segment/FaceFinder.h"

namespace quillora::service {
namespace {

const char* const kPhotoFolder = "/usr/lib/python3/dist-packages/skimage/data";
// Colour photographs among the package's samples; the portrait has the face.
const char* const kScenePhotoNames[] = {
    "chelsea.png", "coffee.png", "motorcycle_left.png",   "rocket.jpg", "brick.png", "grass.png",
    "gravel.png",  "ihc.png",    "hubble_deep_field.jpg", "retina.jpg"};
const char* const kPortraitName = "astronaut.png";
// Those that are photographs of one big subject rather than of scenery or
// texture: the cat, the cup and saucer, the motorcycle, the rocket.
const char* const kPhotosWithSubject[] = {"chelsea.png", "coffee.png", "motorcycle_left.png",
                                          "rocket.jpg"};

// Large scenes are drawn at twice their size only, to keep memory in bounds.
int SupersampleFor(cv::Size size) {
    return size.area() > 4'000'000 ? 2 : 4;
}

// Light falling off behind the subject, as under a studio lamp.
void CastShadow(cv::RNG& rng, cv::Mat& backdrop, const cv::Mat& alpha) {
    const int m = std::min(alpha.cols, alpha.rows);
    const cv::Mat shift = (cv::Mat_<double>(2, 3) << 1, 0, m * scene::Uniform(rng, -0.03, 0.03), 0,
                           1, m * scene::Uniform(rng, 0.01, 0.04));
    cv::Mat shadow;
    cv::warpAffine(alpha, shadow, shift, alpha.size());
    cv::GaussianBlur(shadow, shadow, cv::Size(), m * 0.02);
    cv::Mat factor;
    shadow.convertTo(factor, CV_32F, -scene::Uniform(rng, 0.1, 0.25) / 255.0, 1.0);
    cv::Mat channels[3];
    cv::split(backdrop, channels);
    for (cv::Mat& channel : channels) {
        channel.convertTo(channel, CV_32F);
        channel = channel.mul(factor);
        channel.convertTo(channel, CV_8U);
    }
    cv::merge(channels, 3, backdrop);
}

cv::Mat Composite(const scene::Foreground& fg, const cv::Mat& background, cv::RNG& rng) {
    cv::Mat a;
    fg.alpha.convertTo(a, CV_32F, 1.0 / 255);
    cv::Mat a3;
    cv::merge(std::vector<cv::Mat>{a, a, a}, a3);
    cv::Mat f;
    cv::Mat b;
    fg.colour.convertTo(f, CV_32FC3);
    background.convertTo(b, CV_32FC3);
    cv::Mat mixed = f.mul(a3) + b.mul(cv::Scalar::all(1.0) - a3);
    cv::Mat noise(mixed.size(), CV_32FC3);
    rng.fill(noise, cv::RNG::NORMAL, 0, 1.5);
    mixed += noise;
    cv::Mat photo;
    mixed.convertTo(photo, CV_8UC3);
    return photo;
}

// Brings the subject's colour near its outline towards the colour behind
// it, as a white cup on a white table or a dark bottle in shade: the edge is
// still there, with a fraction of its former contrast.
void LowerEdgeContrast(cv::RNG& rng, scene::Foreground& fg, const cv::Mat& background) {
    cv::Mat distance;
    cv::distanceTransform(fg.alpha > 127, distance, cv::DIST_L2, 3);
    const double band = std::max(3.0, std::min(fg.alpha.cols, fg.alpha.rows) * 0.06);
    const double strength = scene::Uniform(rng, 0.55, 0.75);
    cv::Mat weight;
    distance.convertTo(weight, CV_32F, -strength / band, strength);
    weight = cv::max(weight, 0.0);
    // Behind the subject's own pixels: the background smoothed, so the
    // subject takes the surroundings' colour rather than their texture.
    cv::Mat behind;
    const double reach = std::max(1.0, band / 2);
    cv::GaussianBlur(background, behind, cv::Size(), reach);
    cv::Mat w3;
    cv::merge(std::vector<cv::Mat>{weight, weight, weight}, w3);
    cv::Mat f;
    cv::Mat b;
    fg.colour.convertTo(f, CV_32FC3);
    behind.convertTo(b, CV_32FC3);
    cv::Mat mixed = f.mul(cv::Scalar::all(1.0) - w3) + b.mul(w3);
    mixed.convertTo(fg.colour, CV_8UC3);
}

// The generator's start state for one scene. Numbers that differ in a few
// low bits are spread over the whole state first: cv::RNG's first draws from
// such neighbouring states are alike (its first uniform(0, 10) was odd for
// every scene, so half of the photographs never showed as a background).
std::uint64_t SceneStartState(SceneKind kind, std::uint64_t index) {
    std::uint64_t z = 0x9E3779B97F4A7C15ULL * (index * 4 + static_cast<std::uint64_t>(kind) + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return z != 0 ? z : 1;  // cv::RNG replaces a zero state with its own
}

}  // namespace

bool HasHoles(const cv::Mat& alpha) {
    // Background pieces enclosed by the subject (not connected to the sides),
    // large enough to see through: not a sliver where two drawn parts meet.
    cv::Mat background = alpha <= 127;
    cv::Mat padded;
    cv::copyMakeBorder(background, padded, 1, 1, 1, 1, cv::BORDER_CONSTANT, cv::Scalar(255));
    cv::floodFill(padded, cv::Point(0, 0), cv::Scalar(0));
    cv::Mat labels;
    cv::Mat stats;
    cv::Mat centres;
    const int count = cv::connectedComponentsWithStats(padded, labels, stats, centres, 4);
    const int smallestArea = std::max(4, alpha.cols * alpha.rows / 2000);
    const int narrowest = std::max(2, std::min(alpha.cols, alpha.rows) / 100);
    for (int i = 1; i < count; ++i) {
        if (stats.at<int>(i, cv::CC_STAT_AREA) >= smallestArea &&
            stats.at<int>(i, cv::CC_STAT_WIDTH) >= narrowest &&
            stats.at<int>(i, cv::CC_STAT_HEIGHT) >= narrowest) {
            return true;
        }
    }
    return false;
}

bool HasThinParts(const cv::Mat& alpha) {
    // Parts that an opening 3 % of the short side wide takes away.
    const cv::Mat subject = alpha > 127;
    const int area = cv::countNonZero(subject);
    if (area == 0) {
        return false;
    }
    const int width = std::max(3, std::min(alpha.cols, alpha.rows) * 3 / 100) | 1;
    cv::Mat opened;
    cv::morphologyEx(subject, opened, cv::MORPH_OPEN,
                     cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(width, width)));
    return cv::countNonZero(subject & ~opened) * 50 >= area;
}

std::string_view SceneKindName(SceneKind kind) {
    switch (kind) {
        case SceneKind::ObjectPlain:
            return "object, plain backdrop";
        case SceneKind::ObjectCluttered:
            return "object, photographic background";
        case SceneKind::PersonPlain:
            return "person, plain backdrop";
        case SceneKind::PersonCluttered:
            return "person, photographic background";
    }
    return "";
}

Subject SceneSubject(SceneKind kind) {
    return kind == SceneKind::PersonPlain || kind == SceneKind::PersonCluttered ? Subject::Person
                                                                                : Subject::Object;
}

ScenePhotos ScenePhotos::LoadInstalled() {
    ScenePhotos photos;
    const std::filesystem::path folder(kPhotoFolder);
    for (const char* name : kScenePhotoNames) {
        cv::Mat photo = cv::imread((folder / name).string(), cv::IMREAD_COLOR);
        if (!photo.empty()) {
            photos.scenes.push_back(photo);
            photos.withSubject.push_back(std::find_if(std::begin(kPhotosWithSubject),
                                                      std::end(kPhotosWithSubject),
                                                      [name](const char* other) {
                                                          return std::string_view(name) == other;
                                                      }) != std::end(kPhotosWithSubject));
        }
    }
    cv::Mat portrait = cv::imread((folder / kPortraitName).string(), cv::IMREAD_COLOR);
    if (!portrait.empty()) {
        const auto face = FaceFinder::Shared().LargestFace(portrait);
        if (face) {
            photos.portrait = portrait;
            photos.portraitFace = *face;
        }
    }
    return photos;
}

Scene MakeScene(SceneKind kind, cv::Size size, std::uint64_t index, const ScenePhotos& photos) {
    // The scene's random state follows from its kind and number alone.
    cv::RNG rng(SceneStartState(kind, index));
    const int supersample = SupersampleFor(size);
    const bool person = SceneSubject(kind) == Subject::Person;
    const bool plain = kind == SceneKind::ObjectPlain || kind == SceneKind::PersonPlain;
    // A background photograph is never also the subject's texture: nothing
    // is camouflaged in its own surroundings.
    ScenePhotos textures = photos;
    cv::Mat backgroundPhoto;
    bool backgroundHasSubject = false;
    if (!plain && photos.HasPhotos()) {
        const int pick = rng.uniform(0, static_cast<int>(photos.scenes.size()));
        backgroundPhoto = photos.scenes[pick];
        backgroundHasSubject =
            pick < static_cast<int>(photos.withSubject.size()) && photos.withSubject[pick];
        textures.scenes.erase(textures.scenes.begin() + pick);
        if (pick < static_cast<int>(textures.withSubject.size())) {
            textures.withSubject.erase(textures.withSubject.begin() + pick);
        }
    }
    scene::Foreground fg = person ? scene::MakePerson(rng, size, supersample, textures)
                                  : scene::MakeObject(rng, size, supersample, textures);
    cv::Mat background;
    if (plain) {
        background = scene::PlainBackdrop(rng, size, scene::MeanForegroundColour(fg));
        if (!person && rng.uniform(0, 2) == 0) {
            CastShadow(rng, background, fg.alpha);
        }
    } else {
        background = scene::ClutteredBackground(rng, size, backgroundPhoto);
    }
    bool lowContrast = false;
    if (!person && rng.uniform(0, 4) == 0) {
        LowerEdgeContrast(rng, fg, background);
        lowContrast = true;
    }
    return {Composite(fg, background, rng), fg.alpha, lowContrast, backgroundHasSubject};
}

}  // namespace quillora::service
