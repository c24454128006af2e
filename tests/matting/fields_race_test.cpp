#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "matting/config/ServiceConfig.h"
#include "matting/config/ServiceFields.h"

namespace quillora::matting {
namespace {

// The configuration thread writes the fields while the UI thread reads them:
// every read must give a whole old or new value. Run under ThreadSanitizer
// (QUILLORA_TSAN_TESTS) it also proves the accesses race-free.
TEST(ServiceFieldsRace, ReadersSeeOldOrNewValues) {
    ServiceFields fields("http://a.example.org/cut");
    const std::string answerA =
        R"({"code":1,"data":{"open":1,"batchCount":50,"fileSize":20,"url":"http://a.example.org/cut","totalOpenFlag":0}})";
    const std::string answerB =
        R"({"code":1,"data":{"open":0,"batchCount":7,"fileSize":20480,"url":"http://b.example.org/a/much/longer/cut/path","totalOpenFlag":1}})";
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            ApplyConfigAnswer(i % 2 == 0 ? answerB : answerA, "B", fields);
        }
        done = true;
    });
    int reads = 0;
    while (!done || reads == 0) {
        const std::int32_t batch = fields.batchLimit();
        EXPECT_TRUE(batch == 50 || batch == 7) << batch;
        const std::int64_t size = fields.fileSizeLimit();
        EXPECT_TRUE(size == 20480 || size == 20971520) << size;
        const std::string url = fields.mattingUrl();
        EXPECT_TRUE(url == "http://a.example.org/cut" ||
                    url == "http://b.example.org/a/much/longer/cut/path")
            << url;
        const QString text = fields.fileSizeLimitText();
        EXPECT_TRUE(text == "20.00KB" || text == "20.00MB") << text.toStdString();
        (void)fields.serviceOpen();
        (void)fields.totalOpenFlag();
        ++reads;
    }
    writer.join();
    EXPECT_GT(reads, 0);
}

}  // namespace
}  // namespace quillora::matting
