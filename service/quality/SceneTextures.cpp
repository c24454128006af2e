#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

#include "service/quality/SceneParts.h"

namespace quillora::service::scene {
namespace {

cv::Scalar RandomColour(cv::RNG& rng) {
    return cv::Scalar(rng.uniform(0, 256), rng.uniform(0, 256), rng.uniform(0, 256));
}

void AddNoise(cv::RNG& rng, cv::Mat& image, double sigma) {
    cv::Mat noise(image.size(), CV_16SC3);
    rng.fill(noise, cv::RNG::NORMAL, 0, sigma);
    cv::Mat wide;
    image.convertTo(wide, CV_16SC3);
    wide += noise;
    wide.convertTo(image, CV_8UC3);
}

// A linear ramp from one colour to another across a random direction.
cv::Mat Gradient(cv::RNG& rng, cv::Size size, const cv::Scalar& from, const cv::Scalar& to) {
    cv::Mat out(size, CV_8UC3);
    const double angle = Uniform(rng, 0, CV_2PI);
    const double dx = std::cos(angle);
    const double dy = std::sin(angle);
    const double span = std::abs(dx) * size.width + std::abs(dy) * size.height;
    const double offset = std::min(0.0, dx * size.width) + std::min(0.0, dy * size.height);
    for (int y = 0; y < size.height; ++y) {
        auto* row = out.ptr<cv::Vec3b>(y);
        for (int x = 0; x < size.width; ++x) {
            const double t = (dx * x + dy * y - offset) / std::max(span, 1.0);
            for (int c = 0; c < 3; ++c) {
                row[x][c] = cv::saturate_cast<uchar>(from[c] + (to[c] - from[c]) * t);
            }
        }
    }
    return out;
}

double LabDistance(const cv::Scalar& a, const cv::Scalar& b) {
    cv::Mat pair(1, 2, CV_32FC3);
    pair.at<cv::Vec3f>(0, 0) = cv::Vec3f(a[0], a[1], a[2]) / 255.f;
    pair.at<cv::Vec3f>(0, 1) = cv::Vec3f(b[0], b[1], b[2]) / 255.f;
    cv::cvtColor(pair, pair, cv::COLOR_BGR2Lab);
    return cv::norm(pair.at<cv::Vec3f>(0, 0) - pair.at<cv::Vec3f>(0, 1));
}

}  // namespace

cv::Mat DrawnTexture(cv::RNG& rng, cv::Size size) {
    const cv::Scalar base = RandomColour(rng);
    cv::Mat texture = Gradient(rng, size, base, base * Uniform(rng, 0.6, 1.2));
    const int pattern = rng.uniform(0, 4);
    const cv::Scalar ink = RandomColour(rng);
    const int step =
        std::max(4, static_cast<int>(std::min(size.width, size.height) * Uniform(rng, 0.04, 0.15)));
    if (pattern == 1) {  // stripes
        for (int x = -size.height; x < size.width; x += step * 2) {
            cv::line(texture, {x, 0}, {x + size.height, size.height}, ink, std::max(1, step / 2));
        }
    } else if (pattern == 2) {  // spots
        for (int i = 0; i < 30; ++i) {
            cv::circle(texture, {rng.uniform(0, size.width), rng.uniform(0, size.height)},
                       rng.uniform(1, step), RandomColour(rng), cv::FILLED);
        }
    } else if (pattern == 3) {  // a label: a band with lines of "text"
        const int top = rng.uniform(0, std::max(1, size.height / 2));
        cv::rectangle(texture, {0, top, size.width, size.height / 3}, ink, cv::FILLED);
        for (int y = top + step / 2; y < top + size.height / 3; y += std::max(3, step / 3)) {
            cv::line(texture, {size.width / 8, y}, {size.width * 7 / 8, y}, base, 1);
        }
    }
    AddNoise(rng, texture, 3.0);
    return texture;
}

cv::Mat PhotoTexture(cv::RNG& rng, cv::Size size, const ScenePhotos& photos) {
    if (!photos.HasPhotos()) {
        return DrawnTexture(rng, size);
    }
    const cv::Mat& photo = photos.scenes[rng.uniform(0, static_cast<int>(photos.scenes.size()))];
    const int w = std::max(8, static_cast<int>(photo.cols * Uniform(rng, 0.3, 0.7)));
    const int h = std::max(8, static_cast<int>(photo.rows * Uniform(rng, 0.3, 0.7)));
    const cv::Rect crop(rng.uniform(0, photo.cols - w + 1), rng.uniform(0, photo.rows - h + 1), w,
                        h);
    cv::Mat texture;
    cv::resize(photo(crop), texture, size, 0, 0, cv::INTER_LINEAR);
    return texture;
}

cv::Mat PlainBackdrop(cv::RNG& rng, cv::Size size, const cv::Scalar& avoidColour) {
    // A studio backdrop that stands apart from the subject, as a photographer
    // would choose it; the best of several tries if none is far enough.
    cv::Scalar colour;
    double best = -1;
    for (int attempt = 0; attempt < 20 && best < 30; ++attempt) {
        const cv::Scalar candidate =
            rng.uniform(0, 2) == 0 ? cv::Scalar::all(rng.uniform(180, 256)) : RandomColour(rng);
        const double distance = LabDistance(candidate, avoidColour);
        if (distance > best) {
            best = distance;
            colour = candidate;
        }
    }
    const double fall = Uniform(rng, 0.85, 1.0);
    cv::Mat backdrop = Gradient(rng, size, colour, colour * fall);
    AddNoise(rng, backdrop, 2.0);
    return backdrop;
}

cv::Mat ClutteredBackground(cv::RNG& rng, cv::Size size, const cv::Mat& photo) {
    if (!photo.empty()) {
        // Cover the frame, then cut a random window of the right shape.
        const double scale =
            std::max(double(size.width) / photo.cols, double(size.height) / photo.rows) *
            Uniform(rng, 1.0, 1.4);
        cv::Mat scaled;
        cv::resize(photo, scaled, cv::Size(), scale, scale, cv::INTER_LINEAR);
        const cv::Rect window(rng.uniform(0, scaled.cols - size.width + 1),
                              rng.uniform(0, scaled.rows - size.height + 1), size.width,
                              size.height);
        cv::Mat background = scaled(window).clone();
        if (rng.uniform(0, 2) == 1) {
            cv::flip(background, background, 1);
        }
        AddNoise(rng, background, 1.5);
        return background;
    }
    cv::Mat background = DrawnTexture(rng, size);
    const int shapes = 60;
    const int m = std::min(size.width, size.height);
    for (int i = 0; i < shapes; ++i) {
        const cv::Point centre(rng.uniform(0, size.width), rng.uniform(0, size.height));
        const int r = rng.uniform(std::max(2, m / 40), std::max(3, m / 6));
        if (rng.uniform(0, 2) == 0) {
            cv::circle(background, centre, r, RandomColour(rng), cv::FILLED, cv::LINE_AA);
        } else {
            cv::rectangle(background, cv::Rect(centre.x, centre.y, r * 2, r), RandomColour(rng),
                          cv::FILLED, cv::LINE_AA);
        }
    }
    cv::GaussianBlur(background, background, cv::Size(), std::max(0.5, m / 400.0));
    AddNoise(rng, background, 2.0);
    return background;
}

cv::Scalar MeanForegroundColour(const Foreground& foreground) {
    cv::Mat solid = foreground.alpha > 128;
    return cv::mean(foreground.colour, solid);
}

}  // namespace quillora::service::scene
