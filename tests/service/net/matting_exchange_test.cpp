// The matting exchange over HTTP: signed forms get a full-size cut-out,
// everything else a clean refusal.

#include <gtest/gtest.h>
#include <json/reader.h>

#include <opencv2/imgproc.hpp>

#include <future>
#include <thread>
#include <vector>

#include "MattingForms.h"
#include "service/quality/MatteScore.h"
#include "service/quality/SyntheticScenes.h"

namespace quillora::service {
namespace {

using namespace testing;

Json::Value ParseJson(const std::string& text) {
    Json::Value value;
    Json::Reader().parse(text, value);
    return value;
}

class MattingExchange : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(service.Start()); }
    LoopbackService service;
};

TEST_F(MattingExchange, SignedCutOutRequestGetsTheSubjectAtFullSize) {
    const Scene scene = MakeScene(SceneKind::ObjectPlain, {200, 150}, 1, ScenePhotos());
    auto answer = PostMatting(service, EncodeForm(CutOutForm(EncodeImage(scene.photo), 1, 1)));
    const Json::Value json = ParseJson(answer.body);
    ASSERT_EQ(json["result"].asInt(), 1) << answer.body.substr(0, 200);
    EXPECT_EQ(answer.headers["content-type"].rfind("application/json", 0), 0u);
    const cv::Mat cutOut = CutOutOf(answer.body);
    ASSERT_EQ(cutOut.type(), CV_8UC4);
    ASSERT_EQ(cutOut.size(), scene.photo.size());
    cv::Mat alpha;
    cv::extractChannel(cutOut, alpha, 3);
    EXPECT_GT(ScoreMatte(alpha, scene.alpha).iou, 0.85);
}

TEST_F(MattingExchange, JpegPhotoAndHardEdgeForAPerson) {
    const Scene scene = MakeScene(SceneKind::PersonPlain, {160, 120}, 2, ScenePhotos());
    const std::string jpeg = EncodeImage(scene.photo, ".jpg");
    auto answer = PostMatting(service, EncodeForm(CutOutForm(jpeg, 0, 0)));
    ASSERT_EQ(ParseJson(answer.body)["result"].asInt(), 1);
    const cv::Mat cutOut = CutOutOf(answer.body);
    ASSERT_EQ(cutOut.size(), scene.photo.size());
    cv::Mat alpha;
    cv::extractChannel(cutOut, alpha, 3);
    // Without alphamatting every pixel is fully in or out.
    EXPECT_EQ(cv::countNonZero((alpha > 0) & (alpha < 255)), 0);
    EXPECT_GT(cv::countNonZero(alpha), 0);
}

TEST_F(MattingExchange, TamperedOrIncompleteFormsAreRefused) {
    const std::string photo = EncodeImage(cv::Mat(40, 40, CV_8UC3, cv::Scalar(1, 2, 3)));
    const FormFields good = CutOutForm(photo, 1, 1);

    FormFields tampered = good;
    tampered["cutobj"] = "0";
    FormFields badSize = good;
    badSize["imagesize"] = std::to_string(photo.size() + 1);
    badSize["s"] = MattingSignature(badSize, kMattingApiKey);
    FormFields notBase64 = good;
    notBase64["image"] = "@@@@" + notBase64["image"].substr(4);
    FormFields noImage = good;
    noImage.erase("image");
    FormFields wrongOption = good;
    wrongOption["alphamatting"] = "2";
    wrongOption["s"] = MattingSignature(wrongOption, kMattingApiKey);
    FormFields otherKey = good;
    otherKey["s"] = MattingSignature(otherKey, kConfigApiKey);

    for (const auto* form : {&tampered, &badSize, &notBase64, &noImage, &wrongOption, &otherKey}) {
        auto answer = PostMatting(service, EncodeForm(*form));
        const Json::Value json = ParseJson(answer.body);
        EXPECT_TRUE(json.isObject()) << answer.body;
        EXPECT_EQ(json["result"].asInt(), 0) << answer.body;
        EXPECT_FALSE(json["msg"].asString().empty());
    }
    EXPECT_EQ(ParseJson(PostMatting(service, EncodeForm(tampered)).body)["msg"].asString(),
              "signature does not match");
}

TEST_F(MattingExchange, MalformedFormAndUndecodablePicturesAreRefused) {
    EXPECT_EQ(ParseJson(PostMatting(service, "adid=1&image=%zz").body)["msg"].asString(),
              "malformed form");
    EXPECT_EQ(ParseJson(PostMatting(service, "").body)["result"].asInt(), 0);

    const std::string text = "this is not a picture at all";
    EXPECT_EQ(
        ParseJson(PostMatting(service, EncodeForm(CutOutForm(text, 1, 1))).body)["result"].asInt(),
        0);

    // A valid PNG cut short.
    std::string png = EncodeImage(cv::Mat(60, 60, CV_8UC3, cv::Scalar(9, 9, 9)));
    png.resize(png.size() / 2);
    EXPECT_EQ(
        ParseJson(PostMatting(service, EncodeForm(CutOutForm(png, 1, 1))).body)["result"].asInt(),
        0);
}

TEST_F(MattingExchange, DecompressionBombIsRefusedAndTheServiceStaysUp) {
    // A real PNG whose header is rewritten to declare 100000 x 100000 pixels.
    std::string bomb = EncodeImage(cv::Mat(8, 8, CV_8UC3, cv::Scalar(0, 0, 0)));
    const char size[] = {0x00, 0x01, static_cast<char>(0x86), static_cast<char>(0xA0)};
    bomb.replace(16, 4, size, 4);
    bomb.replace(20, 4, size, 4);
    const Json::Value json =
        ParseJson(PostMatting(service, EncodeForm(CutOutForm(bomb, 1, 1))).body);
    EXPECT_EQ(json["result"].asInt(), 0);
    EXPECT_EQ(json["msg"].asString(), "picture too large");
    EXPECT_EQ(Curl::Get(service.Base() + "/api").status, 200);
}

TEST_F(MattingExchange, OversizedBodyGetsACleanErrorAndTheServiceStaysUp) {
    const std::string body = "image=" + std::string(50 << 20, 'A');
    auto answer = PostMatting(service, body);
    const Json::Value json = ParseJson(answer.body);
    EXPECT_EQ(json["result"].asInt(), 0);
    EXPECT_EQ(json["msg"].asString(), "request body too large");
    EXPECT_EQ(Curl::Get(service.Base() + "/api").status, 200);
}

TEST_F(MattingExchange, ClosedServiceRefusesMatting) {
    LoopbackService closed;
    ServiceConfig config;
    config.open = 0;
    closed.Configure(config);
    ASSERT_TRUE(closed.Start());
    const std::string photo = EncodeImage(cv::Mat(40, 40, CV_8UC3, cv::Scalar(1, 2, 3)));
    const Json::Value json =
        ParseJson(PostMatting(closed, EncodeForm(CutOutForm(photo, 1, 1))).body);
    EXPECT_EQ(json["result"].asInt(), 0);
    EXPECT_EQ(json["msg"].asString(), "service closed");
}

TEST_F(MattingExchange, PhotoAboveTheConfiguredSizeLimitIsRefused) {
    LoopbackService small;
    ServiceConfig config;
    config.fileSizeKb = 1;
    small.Configure(config);
    ASSERT_TRUE(small.Start());
    cv::Mat noise(64, 64, CV_8UC3);
    cv::randu(noise, cv::Scalar::all(0), cv::Scalar::all(256));
    const std::string photo = EncodeImage(noise);
    ASSERT_GT(photo.size(), 1024u);
    const Json::Value json =
        ParseJson(PostMatting(small, EncodeForm(CutOutForm(photo, 1, 1))).body);
    EXPECT_EQ(json["msg"].asString(), "photo larger than the limit");
}

TEST_F(MattingExchange, RefineRequestAppliesTheMask) {
    cv::Mat photo(50, 70, CV_8UC3);
    cv::randu(photo, cv::Scalar::all(0), cv::Scalar::all(256));
    cv::Mat mask = cv::Mat::zeros(50, 70, CV_8U);
    mask(cv::Rect(10, 5, 30, 20)).setTo(255);
    const std::string image = EncodeImage(photo);
    FormFields form = {{"adid", "1001"},
                       {"filetype", "png"},
                       {"image", codec::Base64Encode(image)},
                       {"imagesize", std::to_string(image.size())},
                       {"lc", "zh_CN"},
                       {"mask", codec::Base64Encode(EncodeImage(mask))},
                       {"partner_id", "0"},
                       {"platform", "windows"},
                       {"product_id", "1"},
                       {"t", "1700000000000"},
                       {"uid", "MACHINE"},
                       {"username", ""},
                       {"version", "1.0.0.0"}};
    form["s"] = MattingSignature(form, kMattingApiKey);
    auto answer = PostMatting(service, EncodeForm(form));
    ASSERT_EQ(ParseJson(answer.body)["result"].asInt(), 1) << answer.body.substr(0, 200);
    const cv::Mat cutOut = CutOutOf(answer.body);
    ASSERT_EQ(cutOut.size(), photo.size());
    cv::Mat alpha;
    cv::extractChannel(cutOut, alpha, 3);
    EXPECT_EQ(cv::norm(alpha, mask, cv::NORM_INF), 0);

    FormFields badMask = form;
    badMask["mask"] = "%%%";
    badMask["s"] = MattingSignature(badMask, kMattingApiKey);
    EXPECT_EQ(ParseJson(PostMatting(service, EncodeForm(badMask)).body)["result"].asInt(), 0);
}

TEST_F(MattingExchange, EightConcurrentRequestsGetTheirOwnAnswers) {
    constexpr int kRequests = 8;
    std::vector<std::future<cv::Size>> answers;
    for (int i = 0; i < kRequests; ++i) {
        answers.push_back(std::async(std::launch::async, [this, i] {
            // Each photo has its own size, so a mixed-up answer shows.
            const cv::Size size(90 + 10 * i, 70 + 4 * i);
            const Scene scene = MakeScene(SceneKind::ObjectPlain, size, i, ScenePhotos());
            auto answer =
                PostMatting(service, EncodeForm(CutOutForm(EncodeImage(scene.photo), 1, 1)));
            return CutOutOf(answer.body).size();
        }));
    }
    for (int i = 0; i < kRequests; ++i) {
        EXPECT_EQ(answers[i].get(), cv::Size(90 + 10 * i, 70 + 4 * i)) << i;
    }
}

}  // namespace
}  // namespace quillora::service
