// Picture headers are read before any decoding, pictures decode as stored,
// and the cut-out PNG keeps every byte of its straight alpha.

#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <string>
#include <vector>

#include "service/imaging/ImageProbe.h"
#include "service/imaging/PhotoCodec.h"

namespace quillora::service {
namespace {

void PutBe32(std::string& s, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        s.push_back(static_cast<char>((v >> shift) & 0xFF));
    }
}

void PutLe(std::string& s, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

// Signature and IHDR of a PNG declaring the size; no pixel data follows.
std::string PngHeader(std::uint32_t width, std::uint32_t height) {
    std::string s("\x89PNG\r\n\x1a\n", 8);
    PutBe32(s, 13);
    s += "IHDR";
    PutBe32(s, width);
    PutBe32(s, height);
    s += std::string("\x08\x06\x00\x00\x00", 5);
    PutBe32(s, 0);  // CRC, not checked by the probe
    return s;
}

std::string Encoded(const cv::Mat& image, const std::string& extension) {
    std::vector<uchar> bytes;
    cv::imencode(extension, image, bytes);
    return std::string(bytes.begin(), bytes.end());
}

TEST(ImageProbe, ReadsThePngHeaderOfADecompressionBomb) {
    const auto header = ProbeImageHeader(PngHeader(100000, 100000));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->format, ImageFormat::Png);
    EXPECT_EQ(header->width, 100000);
    EXPECT_EQ(header->height, 100000);
}

TEST(ImageProbe, ReadsJpegFrameHeaderBehindOtherSegments) {
    std::string jpeg("\xFF\xD8", 2);
    jpeg += std::string("\xFF\xE0\x00\x06JFIF", 8);  // APP0 with 4 bytes of data
    jpeg += std::string("\xFF\xC2\x00\x0B\x08\x02\x58\x03\x20\x03\x01", 11);  // progressive
    const auto header = ProbeImageHeader(jpeg);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, 800);
    EXPECT_EQ(header->height, 600);
    // Scan data before any frame header: not a picture this probe trusts.
    EXPECT_FALSE(ProbeImageHeader(std::string("\xFF\xD8\xFF\xDA\x00\x02", 6)));
}

TEST(ImageProbe, ReadsBmpAndWebPSizes) {
    std::string bmp = "BM";
    for (int field = 0; field < 3; ++field) {  // file size, reserved, pixel offset
        PutLe(bmp, 0, 4);
    }
    PutLe(bmp, 40, 4);
    PutLe(bmp, 640, 4);
    PutLe(bmp, static_cast<std::uint32_t>(-480), 4);  // top-down rows
    const auto bmpHeader = ProbeImageHeader(bmp);
    ASSERT_TRUE(bmpHeader);
    EXPECT_EQ(bmpHeader->width, 640);
    EXPECT_EQ(bmpHeader->height, 480);

    std::string webp = "RIFF";
    PutLe(webp, 100, 4);
    webp += "WEBPVP8X";
    PutLe(webp, 10, 4);
    PutLe(webp, 0, 4);
    PutLe(webp, 4000 - 1, 3);
    PutLe(webp, 3000 - 1, 3);
    const auto webpHeader = ProbeImageHeader(webp);
    ASSERT_TRUE(webpHeader);
    EXPECT_EQ(webpHeader->width, 4000);
    EXPECT_EQ(webpHeader->height, 3000);
}

TEST(ImageProbe, AgreesWithRealEncoders) {
    const cv::Mat picture(37, 53, CV_8UC3, cv::Scalar(10, 20, 30));
    for (const char* extension : {".png", ".jpg", ".bmp", ".webp"}) {
        const auto header = ProbeImageHeader(Encoded(picture, extension));
        ASSERT_TRUE(header) << extension;
        EXPECT_EQ(header->width, 53) << extension;
        EXPECT_EQ(header->height, 37) << extension;
    }
}

TEST(ImageProbe, RefusesCutAndUnknownHeaders) {
    EXPECT_FALSE(ProbeImageHeader(""));
    EXPECT_FALSE(ProbeImageHeader(PngHeader(10, 10).substr(0, 20)));
    EXPECT_FALSE(ProbeImageHeader(PngHeader(0, 10)));
    EXPECT_FALSE(ProbeImageHeader("GIF89a......"));
    EXPECT_FALSE(ProbeImageHeader("RIFF"));
    EXPECT_FALSE(ProbeImageHeader(std::string("\xFF\xD8\xFF", 3)));
    // Every prefix of a real file is either refused or read correctly.
    const std::string png = Encoded(cv::Mat(5, 7, CV_8UC1, cv::Scalar(1)), ".png");
    for (std::size_t n = 0; n <= png.size(); ++n) {
        const auto header = ProbeImageHeader(png.substr(0, n));
        if (header) {
            EXPECT_EQ(header->width, 7);
        }
    }
}

TEST(PhotoCodec, RefusesADecompressionBombBeforeDecoding) {
    const DecodedPhoto photo = DecodePhoto(PngHeader(100000, 100000), 50'000'000);
    EXPECT_TRUE(photo.bgr.empty());
    EXPECT_EQ(photo.error, "picture too large");
}

TEST(PhotoCodec, RefusesTruncatedAndForeignFiles) {
    const std::string png = Encoded(cv::Mat(40, 40, CV_8UC3, cv::Scalar(1, 2, 3)), ".png");
    EXPECT_TRUE(DecodePhoto(png.substr(0, png.size() / 2), 1'000'000).bgr.empty());
    EXPECT_TRUE(DecodePhoto("plain text", 1'000'000).bgr.empty());
}

TEST(PhotoCodec, DecodesGreyAndSixteenBitPicturesAsEightBitColour) {
    cv::Mat grey(4, 6, CV_16UC1, cv::Scalar(65535));
    grey.at<std::uint16_t>(1, 2) = 0;
    const DecodedPhoto photo = DecodePhoto(Encoded(grey, ".png"), 1000);
    ASSERT_EQ(photo.bgr.type(), CV_8UC3);
    EXPECT_EQ(photo.bgr.at<cv::Vec3b>(0, 0), cv::Vec3b(255, 255, 255));
    EXPECT_EQ(photo.bgr.at<cv::Vec3b>(1, 2), cv::Vec3b(0, 0, 0));
}

TEST(PhotoCodec, MaskComesFromAlphaWhenThereIsOneElseFromBrightness) {
    cv::Mat withAlpha(3, 3, CV_8UC4, cv::Scalar(255, 255, 255, 255));
    withAlpha.at<cv::Vec4b>(1, 1) = cv::Vec4b(255, 255, 255, 0);
    const DecodedPhoto alphaMask = DecodeMask(Encoded(withAlpha, ".png"), 100);
    ASSERT_EQ(alphaMask.bgr.type(), CV_8UC1);
    EXPECT_EQ(alphaMask.bgr.at<uchar>(1, 1), 0);
    EXPECT_EQ(alphaMask.bgr.at<uchar>(0, 0), 255);

    cv::Mat opaque(3, 3, CV_8UC4, cv::Scalar(0, 0, 0, 255));
    opaque.at<cv::Vec4b>(2, 0) = cv::Vec4b(255, 255, 255, 255);
    const DecodedPhoto brightness = DecodeMask(Encoded(opaque, ".png"), 100);
    EXPECT_EQ(brightness.bgr.at<uchar>(2, 0), 255);
    EXPECT_EQ(brightness.bgr.at<uchar>(0, 0), 0);
}

TEST(PhotoCodec, PngKeepsStraightAlphaExactly) {
    cv::Mat cutOut(16, 9, CV_8UC4);
    for (int y = 0; y < cutOut.rows; ++y) {
        for (int x = 0; x < cutOut.cols; ++x) {
            cutOut.at<cv::Vec4b>(y, x) = cv::Vec4b(x * 20, y * 15, 7, (x * 31 + y * 17) % 256);
        }
    }
    const std::string png = EncodePng(cutOut);
    const std::vector<uchar> bytes(png.begin(), png.end());
    const cv::Mat back = cv::imdecode(bytes, cv::IMREAD_UNCHANGED);
    ASSERT_EQ(back.type(), CV_8UC4);
    EXPECT_EQ(cv::norm(back, cutOut, cv::NORM_INF), 0);
}

}  // namespace
}  // namespace quillora::service
