// The program's own client code against the real service: the configuration
// fetch and the matting client, exactly as the program runs them.

#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include "MattingForms.h"
#include "matting/client/MattingClient.h"
#include "matting/config/ServiceConfig.h"
#include "matting/config/ServiceFields.h"
#include "service/quality/MatteScore.h"
#include "service/quality/SyntheticScenes.h"

namespace quillora::service {
namespace {

using namespace testing;

matting::ConfigRequest RequestFor(const LoopbackService& service, std::string apiKey) {
    matting::ConfigRequest request;
    request.serverTimeUrl = service.Base() + matting::kServerTimePath;
    request.configUrl = service.Base() + matting::kServiceConfigPath;
    request.apiKey = std::move(apiKey);
    request.byteUnit = "Byte";
    return request;
}

matting::MattingIdentity Identity() {
    matting::MattingIdentity identity;
    identity.adid = "1001";
    identity.version = "1.0.0.0";
    identity.uid = "MACHINE";
    identity.product_id = "1";
    return identity;
}

TEST(ProgramClient, ConfigurationFetchTakesTheServicesSettings) {
    LoopbackService service;
    ServiceConfig config;
    config.batchCount = 7;
    config.fileSizeKb = 2048;
    service.Configure(config);
    ASSERT_TRUE(service.Start());
    matting::ServiceFields fields("http://127.0.0.1:17650/quillora/cutout.py");
    ASSERT_TRUE(
        matting::FetchServiceConfig(RequestFor(service, std::string(kConfigApiKey)), fields));
    EXPECT_TRUE(fields.serviceOpen());
    EXPECT_EQ(fields.batchLimit(), 7);
    EXPECT_EQ(fields.fileSizeLimit(), 2048 * 1024);
    EXPECT_EQ(fields.mattingUrl(), service.Base() + "/quillora/cutout.py");
}

TEST(ProgramClient, ConfigurationFetchWithAnotherKeyChangesNothing) {
    LoopbackService service;
    ASSERT_TRUE(service.Start());
    matting::ServiceFields fields("http://127.0.0.1:17650/quillora/cutout.py");
    EXPECT_FALSE(matting::FetchServiceConfig(RequestFor(service, "wrong key"), fields));
    EXPECT_EQ(fields.batchLimit(), 50);
    EXPECT_EQ(fields.mattingUrl(), "http://127.0.0.1:17650/quillora/cutout.py");
}

TEST(ProgramClient, MattingClientGetsACutOutAndARefinedCutOut) {
    LoopbackService service;
    ASSERT_TRUE(service.Start());
    const std::string url = service.Base() + matting::kMattingPath;
    const Scene scene = MakeScene(SceneKind::ObjectPlain, {180, 135}, 5, ScenePhotos());
    const std::string photo = EncodeImage(scene.photo);

    matting::MattingClient client(Identity(), std::string(kMattingApiKey), url);
    std::string png;
    matting::CutOutOptions options;
    options.cutobj = 1;
    options.alphamatting = true;
    ASSERT_TRUE(client.RequestCutOutData(photo.data(), photo.size(), "png", options, png));
    const cv::Mat cutOut =
        cv::imdecode(std::vector<uchar>(png.begin(), png.end()), cv::IMREAD_UNCHANGED);
    ASSERT_EQ(cutOut.size(), scene.photo.size());
    cv::Mat alpha;
    cv::extractChannel(cutOut, alpha, 3);
    EXPECT_GT(ScoreMatte(alpha, scene.alpha).iou, 0.85);

    const std::string mask = EncodeImage(scene.alpha);
    std::string refined;
    ASSERT_TRUE(matting::MattingClient(Identity(), std::string(kMattingApiKey), url)
                    .RequestRefineData(photo.data(), photo.size(), mask.data(), mask.size(), "jpg",
                                       refined));
    const cv::Mat refinedCut =
        cv::imdecode(std::vector<uchar>(refined.begin(), refined.end()), cv::IMREAD_UNCHANGED);
    ASSERT_EQ(refinedCut.size(), scene.photo.size());
}

TEST(ProgramClient, MattingClientWithAnotherKeyIsRefused) {
    LoopbackService service;
    ASSERT_TRUE(service.Start());
    const std::string photo = EncodeImage(cv::Mat(30, 30, CV_8UC3, cv::Scalar(5, 5, 5)));
    matting::MattingClient client(Identity(), "not the key",
                                  service.Base() + matting::kMattingPath);
    std::string png;
    EXPECT_FALSE(client.RequestCutOutData(photo.data(), photo.size(), "png", {}, png));
    EXPECT_TRUE(png.empty());
}

}  // namespace
}  // namespace quillora::service
