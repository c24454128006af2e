#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

#include "service/quality/SceneParts.h"

namespace quillora::service::scene {
namespace {

using Polygon = std::vector<cv::Point>;

cv::Point Rotated(cv::Point2d centre, cv::Point2d offset, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return cv::Point(cvRound(centre.x + offset.x * c - offset.y * s),
                     cvRound(centre.y + offset.x * s + offset.y * c));
}

Polygon RoundedRect(cv::Point2d centre, double halfW, double halfH, double radius, double angle) {
    Polygon points;
    radius = std::min({radius, halfW, halfH});
    const cv::Point2d corners[] = {{halfW - radius, halfH - radius},
                                   {-(halfW - radius), halfH - radius},
                                   {-(halfW - radius), -(halfH - radius)},
                                   {halfW - radius, -(halfH - radius)}};
    for (int corner = 0; corner < 4; ++corner) {
        for (int step = 0; step <= 8; ++step) {
            const double a = (corner + step / 8.0) * CV_PI / 2;
            points.push_back(Rotated(
                centre, corners[corner] + cv::Point2d(radius * std::cos(a), radius * std::sin(a)),
                angle));
        }
    }
    return points;
}

// A closed outline around the centre whose radius varies smoothly or
// sharply with the angle: stars, blobs, leaves.
Polygon RadialShape(cv::RNG& rng, cv::Point2d centre, double radius) {
    const int corners = rng.uniform(5, 13);
    const bool spiky = rng.uniform(0, 2) == 0;
    std::vector<double> radii(corners);
    for (int i = 0; i < corners; ++i) {
        radii[i] = radius * (spiky && i % 2 ? Uniform(rng, 0.45, 0.7) : Uniform(rng, 0.8, 1.0));
    }
    Polygon points;
    const int samples = corners * (spiky ? 1 : 12);
    for (int i = 0; i < samples; ++i) {
        const double t = double(i) / samples * corners;
        const int k = static_cast<int>(t);
        const double f = t - k;
        const double smooth = (1 - std::cos(f * CV_PI)) / 2;
        const double r = radii[k] * (1 - smooth) + radii[(k + 1) % corners] * smooth;
        const double a = double(i) / samples * CV_2PI;
        points.emplace_back(cvRound(centre.x + r * std::cos(a)),
                            cvRound(centre.y + r * std::sin(a)));
    }
    return points;
}

cv::Mat Reduce(const cv::Mat& high, cv::Size size) {
    cv::Mat low;
    cv::resize(high, low, size, 0, 0, cv::INTER_AREA);
    return low;
}

// Darkens towards the outline, as light falls off on a rounded surface.
void Shade(cv::Mat& colour, const cv::Mat& alpha, double depth) {
    cv::Mat distance;
    cv::distanceTransform(alpha > 128, distance, cv::DIST_L2, 3);
    double reach = 0;
    cv::minMaxLoc(distance, nullptr, &reach);
    if (reach <= 0) {
        return;
    }
    cv::Mat factor;
    distance.convertTo(factor, CV_32F, 1.0 / reach);
    cv::sqrt(factor, factor);
    factor = factor * depth + (1.0 - depth);
    cv::Mat channels[3];
    cv::split(colour, channels);
    for (cv::Mat& channel : channels) {
        channel.convertTo(channel, CV_32F);
        channel = channel.mul(factor);
        channel.convertTo(channel, CV_8U);
    }
    cv::merge(channels, 3, colour);
}

}  // namespace

Foreground MakeObject(cv::RNG& rng, cv::Size size, int supersample, const ScenePhotos& photos) {
    const cv::Size high(size.width * supersample, size.height * supersample);
    cv::Mat shape = cv::Mat::zeros(high, CV_8U);
    const double m = std::min(high.width, high.height);
    const cv::Point2d centre(high.width * (0.5 + Uniform(rng, -0.08, 0.08)),
                             high.height * (0.5 + Uniform(rng, -0.08, 0.08)));
    const double radius = m * Uniform(rng, 0.22, 0.36);
    const double angle = Uniform(rng, -0.6, 0.6);
    switch (rng.uniform(0, 8)) {
        case 0:
            cv::ellipse(shape,
                        cv::RotatedRect(centre,
                                        cv::Size2d(radius * 2 * Uniform(rng, 0.6, 1),
                                                   radius * 2 * Uniform(rng, 0.6, 1)),
                                        angle * 57.3),
                        255, cv::FILLED);
            break;
        case 1:
            cv::fillPoly(shape,
                         std::vector<Polygon>{RoundedRect(centre, radius * Uniform(rng, 0.5, 1),
                                                          radius * Uniform(rng, 0.5, 1),
                                                          radius * Uniform(rng, 0.02, 0.3), angle)},
                         255);
            break;
        case 2:
            cv::fillPoly(shape, std::vector<Polygon>{RadialShape(rng, centre, radius)}, 255);
            break;
        case 3: {  // a bottle: body, shoulder, neck and cap
            const double w = radius * Uniform(rng, 0.35, 0.55);
            const cv::Point2d body = centre + cv::Point2d(0, radius * 0.3);
            // One polygon at a time: polygons filled together leave their
            // overlap empty, which would punch a slot into the shoulder.
            cv::fillPoly(shape,
                         std::vector<Polygon>{RoundedRect(body, w, radius * 0.7, w * 0.3, 0)}, 255);
            cv::fillPoly(shape,
                         std::vector<Polygon>{RoundedRect(centre - cv::Point2d(0, radius * 0.55),
                                                          w * 0.35, radius * 0.45, w * 0.1, 0)},
                         255);
            cv::ellipse(
                shape,
                cv::RotatedRect(centre - cv::Point2d(0, radius * 0.35), cv::Size2d(w * 2, w), 0),
                255, cv::FILLED);
            break;
        }
        case 5: {  // a spoon or spatula: a bowl on a long, thin handle
            const double bowl = radius * Uniform(rng, 0.35, 0.55);
            const double handle = m * Uniform(rng, 0.008, 0.03);  // a few pixels to a finger
            const cv::Point2d tip = centre + cv::Point2d(0, -radius * 0.45);
            cv::ellipse(shape,
                        cv::RotatedRect(Rotated(centre, tip - centre, angle),
                                        cv::Size2d(bowl * 1.3, bowl * 2), angle * 57.3),
                        255, cv::FILLED);
            cv::line(shape, Rotated(centre, cv::Point2d(0, -radius * 0.3), angle),
                     Rotated(centre, cv::Point2d(0, radius * 1.1), angle), 255,
                     std::max(1, cvRound(handle)), cv::LINE_8);
            break;
        }
        case 6: {  // a frame or ring: a wide shape with holes punched through
            const double halfW = radius * Uniform(rng, 0.7, 1.0);
            const double halfH = radius * Uniform(rng, 0.6, 0.9);
            if (rng.uniform(0, 2) == 0) {
                cv::ellipse(shape, cv::RotatedRect(centre, cv::Size2d(halfW * 2, halfH * 2), 0),
                            255, cv::FILLED);
                cv::ellipse(
                    shape,
                    cv::RotatedRect(centre,
                                    cv::Size2d(halfW * 2, halfH * 2) * Uniform(rng, 0.45, 0.7), 0),
                    0, cv::FILLED);
            } else {
                cv::fillPoly(
                    shape,
                    std::vector<Polygon>{RoundedRect(centre, halfW, halfH, radius * 0.1, angle)},
                    255);
                const int across = rng.uniform(2, 4);
                const double hole = std::min(halfW, halfH) * Uniform(rng, 0.15, 0.3);
                for (int i = 0; i < across; ++i) {
                    for (int j = 0; j < 2; ++j) {
                        const cv::Point2d offset(halfW * (2.0 * (i + 0.5) / across - 1) * 0.75,
                                                 halfH * (j == 0 ? -0.4 : 0.4));
                        cv::circle(shape, Rotated(centre, offset, angle), cvRound(hole), 0,
                                   cv::FILLED);
                    }
                }
            }
            break;
        }
        case 7: {  // a stand on three thin legs
            const double w = radius * Uniform(rng, 0.35, 0.55);
            const cv::Point2d head = centre - cv::Point2d(0, radius * 0.55);
            cv::fillPoly(shape, std::vector<Polygon>{RoundedRect(head, w, w * 0.6, w * 0.15, 0)},
                         255);
            const double leg = m * Uniform(rng, 0.006, 0.02);
            const double foot = centre.y + radius * Uniform(rng, 0.8, 1.0);
            const double spread = radius * Uniform(rng, 0.5, 0.9);
            for (const double side : {-1.0, 0.0, 1.0}) {
                cv::line(shape, cv::Point(cvRound(head.x), cvRound(head.y + w * 0.5)),
                         cv::Point(cvRound(head.x + side * spread),
                                   cvRound(foot - (side == 0 ? radius * 0.1 : 0))),
                         255, std::max(1, cvRound(leg)), cv::LINE_8);
            }
            break;
        }
        default: {  // a mug: body with a ring handle, background seen through it
            const double w = radius * Uniform(rng, 0.5, 0.7);
            const cv::Point2d body = centre - cv::Point2d(radius * 0.2, 0);
            cv::fillPoly(
                shape, std::vector<Polygon>{RoundedRect(body, w, radius * 0.75, w * 0.15, 0)}, 255);
            const cv::Point2d handle = body + cv::Point2d(w, 0);
            cv::ellipse(shape, cv::RotatedRect(handle, cv::Size2d(radius * 0.8, radius * 0.9), 0),
                        255, cv::FILLED);
            cv::ellipse(shape, cv::RotatedRect(handle, cv::Size2d(radius * 0.45, radius * 0.55), 0),
                        0, cv::FILLED);
            cv::fillPoly(
                shape, std::vector<Polygon>{RoundedRect(body, w, radius * 0.75, w * 0.15, 0)}, 255);
            break;
        }
    }
    Foreground object;
    object.alpha = Reduce(shape, size);
    object.colour =
        rng.uniform(0, 2) == 0 ? PhotoTexture(rng, size, photos) : DrawnTexture(rng, size);
    Shade(object.colour, object.alpha, Uniform(rng, 0.1, 0.35));
    return object;
}

Foreground MakePerson(cv::RNG& rng, cv::Size size, int supersample, const ScenePhotos& photos) {
    const cv::Size high(size.width * supersample, size.height * supersample);
    const double m = std::min(high.width, high.height);
    const double headH = m * Uniform(rng, 0.26, 0.34);
    const double headW = headH * Uniform(rng, 0.72, 0.82);
    const double cx = high.width * (0.5 + Uniform(rng, -0.06, 0.06));
    const double cy = high.height * Uniform(rng, 0.14, 0.2) + headH / 2;
    const cv::Point2d head(cx, cy);

    // Body parts with plain edges: hair volume, face, neck, shoulders.
    cv::Mat body = cv::Mat::zeros(high, CV_8U);
    const double shoulderY = cy + headH * 0.62;
    const double shoulderW = headW * Uniform(rng, 1.3, 1.7);
    cv::rectangle(body,
                  cv::Rect2d(cx - headW * 0.21, cy, headW * 0.42, shoulderY - cy + headH * 0.2),
                  255, cv::FILLED);
    cv::ellipse(body,
                cv::RotatedRect(cv::Point2d(cx, shoulderY + headH * 0.45),
                                cv::Size2d(shoulderW * 2, headH), 0),
                255, cv::FILLED);
    cv::fillPoly(
        body,
        std::vector<Polygon>{{cv::Point(cvRound(cx - shoulderW), cvRound(shoulderY + headH * 0.45)),
                              cv::Point(cvRound(cx + shoulderW), cvRound(shoulderY + headH * 0.45)),
                              cv::Point(cvRound(cx + shoulderW * 1.08), high.height),
                              cv::Point(cvRound(cx - shoulderW * 1.08), high.height)}},
        255);
    const cv::RotatedRect faceOval(cv::Point2d(cx, cy + headH * 0.04),
                                   cv::Size2d(headW * 0.86, headH * 0.92), 0);
    cv::ellipse(body, faceOval, 255, cv::FILLED);

    // Hair: a volume whose outline is blurred, and single strands reaching out.
    const cv::RotatedRect hairOval(cv::Point2d(cx, cy - headH * 0.05),
                                   cv::Size2d(headW * Uniform(rng, 1.05, 1.25), headH * 1.1), 0);
    cv::Mat hair = cv::Mat::zeros(high, CV_8U);
    cv::ellipse(hair, hairOval, 255, cv::FILLED);
    cv::rectangle(hair, cv::Rect2d(0, cy + headH * 0.25, high.width, high.height), 0, cv::FILLED);
    cv::GaussianBlur(hair, hair, cv::Size(), headH * Uniform(rng, 0.008, 0.02));
    const int strands = rng.uniform(150, 450);
    const double ax = hairOval.size.width / 2;
    const double ay = hairOval.size.height / 2;
    for (int i = 0; i < strands; ++i) {
        const double t = Uniform(rng, CV_PI * 0.95, CV_PI * 2.05);  // the upper half and the sides
        const cv::Point2d start(hairOval.center.x + ax * 0.97 * std::cos(t),
                                hairOval.center.y + ay * 0.97 * std::sin(t));
        const double out = t + Uniform(rng, -0.6, 0.6);
        const double length = headH * Uniform(rng, 0.03, 0.12);
        const double bend = Uniform(rng, -0.5, 0.5);
        Polygon curve;
        for (int k = 0; k <= 8; ++k) {
            const double s = k / 8.0;
            const double a = out + bend * s;
            curve.emplace_back(cvRound(start.x + length * s * std::cos(a)),
                               cvRound(start.y + length * s * std::sin(a)));
        }
        cv::polylines(hair, curve, false, rng.uniform(120, 256), rng.uniform(1, 4));
    }

    Foreground person;
    cv::Mat coverage = cv::max(body, hair);
    person.alpha = Reduce(coverage, size);

    // Colours: clothes below the shoulders, hair, then the face over them.
    person.colour =
        rng.uniform(0, 2) == 0 ? PhotoTexture(rng, size, photos) : DrawnTexture(rng, size);
    const double f = 1.0 / supersample;
    const cv::Scalar hairColour =
        cv::Scalar(rng.uniform(10, 60), rng.uniform(20, 80), rng.uniform(30, 120)) *
        (rng.uniform(0, 4) == 0 ? 2.5 : 1.0);
    cv::Mat hairArea = Reduce(hair, size) > 0;
    cv::Mat upper = cv::Mat::zeros(size, CV_8U);
    cv::rectangle(upper, cv::Rect(0, 0, size.width, cvRound((shoulderY - headH * 0.1) * f)), 255,
                  cv::FILLED);
    person.colour.setTo(hairColour, hairArea | upper);
    const cv::Rect faceBox =
        cv::RotatedRect(faceOval.center * f,
                        cv::Size2f(faceOval.size.width * f, faceOval.size.height * f), 0)
            .boundingRect() &
        cv::Rect(0, 0, size.width, size.height);
    if (faceBox.area() > 0) {
        cv::Mat face;
        if (!photos.portrait.empty()) {
            // Fit the photographed face into the oval so a face finder sees one.
            const cv::Rect source = photos.portraitFace;
            const cv::Rect grown =
                cv::Rect(source.x - source.width / 8, source.y - source.height / 4,
                         source.width * 5 / 4, source.height * 3 / 2) &
                cv::Rect(0, 0, photos.portrait.cols, photos.portrait.rows);
            cv::resize(photos.portrait(grown), face, faceBox.size(), 0, 0, cv::INTER_AREA);
        } else {
            face = cv::Mat(
                faceBox.size(), CV_8UC3,
                cv::Scalar(rng.uniform(60, 160), rng.uniform(90, 180), rng.uniform(140, 230)));
        }
        cv::Mat oval = cv::Mat::zeros(faceBox.size(), CV_8U);
        cv::ellipse(oval,
                    cv::RotatedRect(cv::Point2f(faceBox.width / 2.f, faceBox.height / 2.f),
                                    cv::Size2f(faceBox.width, faceBox.height), 0),
                    255, cv::FILLED);
        face.copyTo(person.colour(faceBox), oval);
        const cv::Rect neck(cvRound((cx - headW * 0.21) * f), faceBox.y + faceBox.height * 3 / 4,
                            cvRound(headW * 0.42 * f), cvRound(headH * 0.45 * f));
        const cv::Rect neckInside = neck & cv::Rect(0, 0, size.width, size.height);
        if (neckInside.area() > 0) {
            cv::Mat neckArea = cv::Mat::zeros(size, CV_8U);
            neckArea(neckInside).setTo(255);
            neckArea.setTo(0, Reduce(hair, size) > 200);
            cv::Mat ovalFull = cv::Mat::zeros(size, CV_8U);
            oval.copyTo(ovalFull(faceBox));
            neckArea.setTo(0, ovalFull);
            person.colour.setTo(cv::mean(face, oval) * 0.9, neckArea);
        }
    }
    return person;
}

}  // namespace quillora::service::scene
