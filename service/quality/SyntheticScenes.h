#pragma once

#include <opencv2/core/mat.hpp>

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "service/segment/Segmenter.h"

namespace quillora::service {

// Kinds of generated test photo: a product-like object or a head-and-
// shoulders person, over a plain studio backdrop or a photographic scene.
enum class SceneKind { ObjectPlain, ObjectCluttered, PersonPlain, PersonCluttered };

inline constexpr SceneKind kAllSceneKinds[] = {SceneKind::ObjectPlain, SceneKind::ObjectCluttered,
                                               SceneKind::PersonPlain, SceneKind::PersonCluttered};

std::string_view SceneKindName(SceneKind kind);
Subject SceneSubject(SceneKind kind);

// A composed photo with the alpha it was composed with.
struct Scene {
    cv::Mat photo;  // 8-bit BGR
    cv::Mat alpha;  // 8-bit, the exact coverage of the foreground
    // The subject's colour was brought near the background's along its outline.
    bool lowContrastEdge = false;
    // The background is a photograph of one big thing of its own (a cat, a cup
    // filling the frame, a motorcycle, a rocket on its pad) with the subject
    // set in front of it: a person asked for "the object" might name either.
    bool backgroundHasSubject = false;
};

// What makes a subject's outline hard, read from its true alpha: background
// seen through it (a mug's handle, a frame's openings), and parts narrower
// than 3 % of the picture's short side (a spoon's handle, a stand's legs).
bool HasHoles(const cv::Mat& alpha);
bool HasThinParts(const cv::Mat& alpha);

// Photographs used as backgrounds and textures. Debian's python3-skimage
// ships a handful of sample photos; without them the scenes use drawn clutter
// and drawn textures instead.
struct ScenePhotos {
    std::vector<cv::Mat> scenes;  // colour photographs for backgrounds and textures
    // Per photograph: it shows one big subject of its own rather than
    // scenery or texture (same length as `scenes`, or empty for none).
    std::vector<bool> withSubject;
    cv::Mat portrait;       // a photo with a frontal face, for person scenes
    cv::Rect portraitFace;  // the face inside it

    static ScenePhotos LoadInstalled();
    bool HasPhotos() const { return !scenes.empty(); }
};

// Composes scene number `index` of a kind at a size. The same arguments give
// the same scene every time.
Scene MakeScene(SceneKind kind, cv::Size size, std::uint64_t index, const ScenePhotos& photos);

}  // namespace quillora::service
