// The model conversion script on a tiny float16 network laid out like the
// model's package: its output must load in OpenCV and compute what the
// float16 network computes; damaged chunks must stop it without leaving a
// file. Needs Debian's python3-onnx (installed by the set-up); skipped,
// saying so, without it.

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/dnn/dnn.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../unit/ServiceTempFolder.h"

namespace quillora::service {
namespace {

const std::filesystem::path kSource = QUILLORA_SOURCE_DIR;

std::string Quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

int RunQuietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

class ModelConversion : public ::testing::Test {
protected:
    void SetUp() override {
        if (RunQuietly("/usr/bin/python3 -c 'import onnx'") != 0) {
            GTEST_SKIP() << "python3-onnx is not installed; the conversion is not tested";
        }
        ASSERT_EQ(RunQuietly("/usr/bin/python3 " +
                             Quoted(kSource / "tests/service/model/make_tiny_package.py") + " " +
                             Quoted(folder_.path() / "package")),
                  0);
    }

    int Convert(const std::filesystem::path& output) {
        return RunQuietly("/usr/bin/python3 " + Quoted(kSource / "tools/model/convert-model.py") +
                          " " + Quoted(folder_.path() / "package") + " " + Quoted(output));
    }

    testing::TempFolder folder_;
};

TEST_F(ModelConversion, OutputLoadsInOpenCvAndComputesTheSameNumbers) {
    const auto model = folder_.path() / "tiny.onnx";
    ASSERT_EQ(Convert(model), 0);
    cv::dnn::Net net = cv::dnn::readNetFromONNX(model.string());
    ASSERT_FALSE(net.empty());
    // Only the first output is left.
    EXPECT_EQ(net.getUnconnectedOutLayers().size(), 1u);
    const int shape[] = {1, 1, 2, 2};
    cv::Mat input(4, shape, CV_32F);
    const float values[] = {0.f, 0.25f, -1.f, 3.f};
    for (int i = 0; i < 4; ++i) {
        input.ptr<float>()[i] = values[i];
    }
    net.setInput(input);
    const cv::Mat output = net.forward();
    ASSERT_EQ(output.total(), 4u);
    // 2 x + 0.5, all exact in float16 as in float32.
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(output.ptr<float>()[i], 2 * values[i] + 0.5f) << i;
    }
}

TEST_F(ModelConversion, DamagedOrMissingChunkStopsItWithoutAFile) {
    const auto dist = folder_.path() / "package" / "dist";
    std::filesystem::path chunk;
    for (const auto& entry : std::filesystem::directory_iterator(dist)) {
        if (entry.path().filename() != "resources.json") {
            chunk = entry.path();
            break;
        }
    }
    ASSERT_FALSE(chunk.empty());
    std::string bytes = testing::ReadAll(chunk);
    ASSERT_FALSE(bytes.empty());
    bytes[bytes.size() / 2] ^= 0x5A;
    testing::WriteAll(chunk, bytes);
    const auto model = folder_.path() / "damaged.onnx";
    EXPECT_NE(Convert(model), 0);
    EXPECT_FALSE(std::filesystem::exists(model));
    EXPECT_FALSE(std::filesystem::exists(model.string() + ".partial"));

    std::filesystem::remove(chunk);
    EXPECT_NE(Convert(model), 0);
    EXPECT_FALSE(std::filesystem::exists(model));
}

}  // namespace
}  // namespace quillora::service
