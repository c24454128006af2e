#include "service/segment/InitialMarkers.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

#include "service/segment/FaceFinder.h"
#include "service/segment/Saliency.h"

namespace quillora::service {
namespace {

// An edge whose colours stay within this spread (Lab units) is a backdrop.
constexpr double kPlainSpread = 9.0;
// ... and most of the edges show that one colour.
constexpr double kPlainEdgeShare = 0.8;
// Distances in spreads beyond which a colour is surely not the backdrop's,
// and within which it surely is when it touches the edge.
constexpr float kSurelyNotBackdrop = 6.f;
constexpr float kSurelyBackdrop = 1.5f;
// A subject on a backdrop leaves at least this share of the frame to it.
constexpr double kMostOfThePicture = 0.5;
// Largest lightness change per pixel (Lab L, 0..255) inside a shadow.
constexpr float kShadowStep = 5.f;

cv::Mat Normalised(const cv::Mat& map) {
    cv::Mat sorted = map.reshape(1, 1).clone();
    cv::sort(sorted, sorted, cv::SORT_EVERY_ROW | cv::SORT_ASCENDING);
    const float top = sorted.at<float>(0, sorted.cols * 99 / 100);
    cv::Mat out;
    map.convertTo(out, CV_32F, top > 0 ? 1.0 / top : 0.0);
    return cv::min(out, 1.0);
}

// 1 in the middle falling to 0.6 at the corners.
cv::Mat MiddleWeight(cv::Size size) {
    cv::Mat weight(size, CV_32F);
    for (int y = 0; y < size.height; ++y) {
        auto* row = weight.ptr<float>(y);
        const double dy = (y + 0.5) / size.height * 2 - 1;
        for (int x = 0; x < size.width; ++x) {
            const double dx = (x + 0.5) / size.width * 2 - 1;
            row[x] =
                static_cast<float>(1.0 - 0.4 * std::min(1.0, std::sqrt((dx * dx + dy * dy) / 2)));
        }
    }
    return weight;
}

// Pixels of `region` connected to any chosen side.
cv::Mat TouchingSides(const cv::Mat& region, const BackgroundSides& sides) {
    cv::Mat components;
    const int count = cv::connectedComponents(region, components, 4, CV_32S);
    std::vector<uchar> touches(count, 0);
    const int w = region.cols;
    const int h = region.rows;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool edge = (sides.top && y == 0) || (sides.bottom && y == h - 1) ||
                              (sides.left && x == 0) || (sides.right && x == w - 1);
            if (edge) {
                touches[components.at<int>(y, x)] = 1;
            }
        }
    }
    touches[0] = 0;
    cv::Mat out(region.size(), CV_8U);
    for (int y = 0; y < h; ++y) {
        const int* in = components.ptr<int>(y);
        uchar* row = out.ptr<uchar>(y);
        for (int x = 0; x < w; ++x) {
            row[x] = touches[in[x]] ? 255 : 0;
        }
    }
    return out;
}

// Backdrop darkened by the subject's shadow: the colour of an edge cluster at
// 40 to 97 % of its lightness with about its hue, in a smooth stretch of the
// picture (a shadow fades in; a subject's outline is a step).
cv::Mat ShadowLike(const cv::Mat& lab, const BorderColours& colours) {
    cv::Mat channels[3];
    cv::split(lab, channels);
    cv::Mat lightness;
    cv::GaussianBlur(channels[0], lightness, cv::Size(), 1.0);
    cv::Mat dx;
    cv::Mat dy;
    cv::Sobel(lightness, dx, CV_32F, 1, 0, 3, 1.0 / 8);
    cv::Mat gradient;
    cv::Sobel(lightness, dy, CV_32F, 0, 1, 3, 1.0 / 8);
    cv::magnitude(dx, dy, gradient);
    cv::Mat shadow = cv::Mat::zeros(lab.size(), CV_8U);
    for (int c = 0; c < colours.centres.rows; ++c) {
        const cv::Vec3f centre = colours.centres.at<cv::Vec3f>(c);
        const float spread = colours.spreads.at<float>(c);
        const float chroma = std::hypot(centre[1] - 128.f, centre[2] - 128.f);
        const float hueReach = 2.5f * spread + 0.35f * chroma;
        for (int y = 0; y < lab.rows; ++y) {
            const auto* pixel = lab.ptr<cv::Vec3f>(y);
            const float* step = gradient.ptr<float>(y);
            uchar* out = shadow.ptr<uchar>(y);
            for (int x = 0; x < lab.cols; ++x) {
                const float l = pixel[x][0];
                const bool darker = l >= 0.4f * centre[0] && l <= 0.97f * centre[0];
                const bool sameHue =
                    std::hypot(pixel[x][1] - centre[1], pixel[x][2] - centre[2]) < hueReach;
                if (darker && sameHue && step[x] < kShadowStep) {
                    out[x] = 255;
                }
            }
        }
    }
    return shadow;
}

// The candidate's parts worth keeping: the largest and any at least a tenth of it.
cv::Mat MainParts(const cv::Mat& candidate) {
    cv::Mat components;
    cv::Mat stats;
    cv::Mat centroids;
    const int count =
        cv::connectedComponentsWithStats(candidate, components, stats, centroids, 8, CV_32S);
    int largest = 0;
    for (int i = 1; i < count; ++i) {
        largest = std::max(largest, stats.at<int>(i, cv::CC_STAT_AREA));
    }
    cv::Mat keep = cv::Mat::zeros(candidate.size(), CV_8U);
    for (int i = 1; i < count; ++i) {
        if (stats.at<int>(i, cv::CC_STAT_AREA) * 10 >= largest) {
            keep.setTo(255, components == i);
        }
    }
    return keep;
}

cv::Rect Grown(const cv::Rect& box, double share, cv::Size limit) {
    const int gx = cvRound(limit.width * share);
    const int gy = cvRound(limit.height * share);
    return cv::Rect(box.x - gx, box.y - gy, box.width + 2 * gx, box.height + 2 * gy) &
           cv::Rect(0, 0, limit.width, limit.height);
}

}  // namespace

void DrawHeadAndShoulders(cv::Mat& labels, const cv::Rect& face) {
    const cv::Size size = labels.size();
    const double fw = face.width;
    const double fh = face.height;
    const cv::Point2d centre(face.x + fw / 2, face.y + fh / 2);
    const cv::Rect figure = cv::Rect(cvRound(centre.x - fw * 2.3), cvRound(face.y - fh * 0.7),
                                     cvRound(fw * 4.6), size.height) &
                            cv::Rect(0, 0, size.width, size.height);
    cv::Mat outside(size, CV_8U, cv::Scalar(255));
    outside(figure).setTo(0);
    labels.setTo(cv::GC_BGD, outside);
    // Probable: the head with its hair, the neck and the widening shoulders.
    cv::ellipse(
        labels,
        cv::RotatedRect(centre - cv::Point2d(0, fh * 0.12), cv::Size2d(fw * 1.5, fh * 1.9), 0),
        cv::GC_PR_FGD, cv::FILLED);
    const double chin = face.y + fh * 1.05;
    const std::vector<cv::Point> body = {{cvRound(centre.x - fw * 0.35), cvRound(chin)},
                                         {cvRound(centre.x + fw * 0.35), cvRound(chin)},
                                         {cvRound(centre.x + fw * 1.6), cvRound(chin + fh * 0.9)},
                                         {cvRound(centre.x + fw * 1.8), size.height},
                                         {cvRound(centre.x - fw * 1.8), size.height},
                                         {cvRound(centre.x - fw * 1.6), cvRound(chin + fh * 0.9)}};
    cv::fillPoly(labels, std::vector<std::vector<cv::Point>>{body}, cv::GC_PR_FGD);
    // Sure: the middle of the face and a column down the neck and chest.
    cv::rectangle(labels,
                  cv::Rect2d(centre.x - fw * 0.25, centre.y - fh * 0.25, fw * 0.5, fh * 0.6),
                  cv::GC_FGD, cv::FILLED);
    cv::rectangle(labels, cv::Rect2d(centre.x - fw * 0.12, chin - fh * 0.1, fw * 0.24, fh * 0.5),
                  cv::GC_FGD, cv::FILLED);
    if (chin + fh * 1.2 < size.height) {
        cv::rectangle(
            labels,
            cv::Rect2d(centre.x - fw * 0.5, chin + fh * 1.2, fw, size.height - chin - fh * 1.2),
            cv::GC_FGD, cv::FILLED);
    }
}

InitialMarkers MakeInitialMarkers(const cv::Mat& bgr, Subject subject) {
    InitialMarkers markers;
    const cv::Size size = bgr.size();
    std::optional<cv::Rect> face;
    if (subject == Subject::Person) {
        face = FaceFinder::Shared().LargestFace(bgr);
    }
    markers.faceFound = face.has_value();
    BackgroundSides sides;
    sides.bottom = subject == Subject::Object;

    const cv::Mat lab = ToLab(bgr);
    const BorderColours colours = LearnBorderColours(lab, sides);
    markers.plainBackdrop =
        colours.typicalSpread < kPlainSpread && colours.mainShare >= kPlainEdgeShare;
    const cv::Mat fromBorder = DistanceFromBorderColours(lab, colours);
    const cv::Mat barrier = BarrierDistance(lab, sides);

    // One saliency map: far from the edge colours and walled off from the
    // edges, weighted towards the middle.
    cv::Mat saliency =
        (cv::min(fromBorder / (2 * kSurelyNotBackdrop), 1.0) + Normalised(barrier)) * 0.5;
    saliency = saliency.mul(MiddleWeight(size));
    cv::Mat saliency8;
    saliency.convertTo(saliency8, CV_8U, 255);
    cv::Mat candidate;
    cv::threshold(saliency8, candidate, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    if (markers.plainBackdrop) {
        // On a backdrop the edge colours alone separate reliably, once the
        // shadows reached from the edges through backdrop are set aside.
        candidate = fromBorder > kSurelyBackdrop * 2;
        const cv::Mat shadow = ShadowLike(lab, colours);
        const cv::Mat reached = TouchingSides((fromBorder <= kSurelyBackdrop * 2) | shadow, sides);
        candidate &= ~(reached & shadow);
    }
    const cv::Mat small = cv::getStructuringElement(cv::MORPH_ELLIPSE, {3, 3});
    cv::morphologyEx(candidate, candidate, cv::MORPH_OPEN, small);
    candidate = MainParts(candidate);

    const double area = cv::countNonZero(candidate);
    if (markers.plainBackdrop && area > size.area() * kMostOfThePicture) {
        // Even edges around a subject that fills most of the frame: the edges
        // are a frame or vignette, not a backdrop.
        markers.plainBackdrop = false;
    }
    markers.labels = cv::Mat(size, CV_8U, cv::Scalar(cv::GC_PR_BGD));
    cv::Rect box = cv::boundingRect(candidate);
    if (area < size.area() * 0.002) {
        box = Grown(cv::Rect(size.width / 2, size.height / 2, 0, 0), 0.4, size);
    } else {
        box = Grown(box, 0.05, size);
    }
    if (!sides.bottom) {
        box.height = size.height - box.y;
    }
    markers.box = box;
    cv::Mat outside(size, CV_8U, cv::Scalar(255));
    outside(box).setTo(0);
    markers.labels.setTo(cv::GC_BGD, outside);
    markers.labels.setTo(cv::GC_PR_FGD, candidate);

    if (markers.plainBackdrop) {
        markers.labels.setTo(cv::GC_BGD, TouchingSides(fromBorder < kSurelyBackdrop, sides));
        cv::Mat core = fromBorder > kSurelyNotBackdrop;
        const int r = std::max(1, cvRound(std::min(size.width, size.height) * 0.01));
        cv::erode(core, core, cv::getStructuringElement(cv::MORPH_ELLIPSE, {2 * r + 1, 2 * r + 1}));
        markers.labels.setTo(cv::GC_FGD, core & candidate);
    }
    if (face) {
        DrawHeadAndShoulders(markers.labels, *face);
    }
    return markers;
}

}  // namespace quillora::service
