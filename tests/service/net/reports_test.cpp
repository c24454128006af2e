// Usage reports and crash-file uploads are stored as received.

#include <gtest/gtest.h>
#include <json/reader.h>

#include <sstream>

#include "LoopbackService.h"
#include "service/wire/ReportCipher.h"
#include "service/wire/SharedKeys.h"

namespace quillora::service {
namespace {

using testing::Curl;
using testing::LoopbackService;
using testing::ReadAll;

std::vector<Json::Value> Lines(const std::filesystem::path& file) {
    std::vector<Json::Value> lines;
    std::istringstream in(ReadAll(file));
    std::string line;
    while (std::getline(in, line)) {
        Json::Value value;
        EXPECT_TRUE(Json::Reader().parse(line, value)) << line;
        lines.push_back(value);
    }
    return lines;
}

class Reports : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(service.Start()); }
    std::filesystem::path Stored(const char* name) const {
        return service.Data() / "reports" / name;
    }
    LoopbackService service;
};

TEST_F(Reports, ActionReportIsDecipheredAndAppended) {
    // Enciphered outside this code with openssl from {"AppId":54,"TypeId":3}.
    const auto first =
        Curl::Post(service.Base() + "/action.ashx", "/OEkG6mP5hvG4PUa2CvT5CVNhY8QsCoFjon6OuJtv1k=");
    EXPECT_EQ(first.body, "1");
    Json::Value second(Json::objectValue);
    second["TypeId"] = 1;
    second["MachineCode"] = "M-2";
    EXPECT_EQ(
        Curl::Post(service.Base() + "/action.ashx", SealReport(second, kReportCipherKey)).body,
        "1");

    const auto lines = Lines(Stored("action.jsonl"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["report"]["AppId"].asInt(), 54);
    EXPECT_EQ(lines[0]["report"]["TypeId"].asInt(), 3);
    EXPECT_EQ(lines[1]["report"], second);
    EXPECT_GT(lines[1]["received"].asInt64(), 0);
    EXPECT_FALSE(std::filesystem::exists(Stored("event.jsonl")));
}

TEST_F(Reports, EventReportGoesToItsOwnFile) {
    Json::Value events(Json::objectValue);
    events["Logs"] = Json::Value(Json::arrayValue);
    Json::Value entry(Json::objectValue);
    entry["Code"] = "save";
    entry["Times"] = 2;
    events["Logs"].append(entry);
    EXPECT_EQ(Curl::Post(service.Base() + "/event.ashx", SealReport(events, kReportCipherKey)).body,
              "1");
    const auto lines = Lines(Stored("event.jsonl"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["report"]["Logs"][0]["Code"].asString(), "save");
}

TEST_F(Reports, TamperedReportsAnswerZeroAndStoreNothing) {
    Json::Value report(Json::objectValue);
    report["TypeId"] = 3;
    std::string sealed = SealReport(report, kReportCipherKey);
    sealed[5] = sealed[5] == 'A' ? 'B' : 'A';  // one cipher block damaged
    const std::string otherKey = SealReport(report, "QlrReport2026Kez");
    for (const std::string& body : {sealed, otherKey, std::string("plain text"), std::string()}) {
        auto answer = Curl::Post(service.Base() + "/action.ashx", body);
        EXPECT_EQ(answer.body, "0") << body;
    }
    EXPECT_FALSE(std::filesystem::exists(Stored("action.jsonl")));
}

TEST_F(Reports, CrashFileUploadIsStoredAndAnsweredWithTextOne) {
    std::string dump(5000, '\0');
    for (std::size_t i = 0; i < dump.size(); ++i) {
        dump[i] = static_cast<char>(i * 7);
    }
    auto answer = Curl::PostFile(service.Base() + "/errorfile.ashx?aid=54&v=1.0.0.0&os=Linux",
                                 "file", "../Error.tmp", dump);
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body, "1");
    EXPECT_EQ(answer.headers["content-type"].rfind("text/", 0), 0u);

    const auto folder = service.Data() / "errorfiles";
    const auto lines = Lines(folder / "errorfiles.jsonl");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["aid"].asString(), "54");
    EXPECT_EQ(lines[0]["v"].asString(), "1.0.0.0");
    EXPECT_EQ(lines[0]["os"].asString(), "Linux");
    EXPECT_EQ(lines[0]["size"].asUInt64(), dump.size());
    const std::string stored = lines[0]["file"].asString();
    EXPECT_EQ(stored.find('/'), std::string::npos);  // the name cannot leave the folder
    EXPECT_EQ(ReadAll(folder / stored), dump);
}

TEST_F(Reports, UploadWithoutAFilePartAnswersZero) {
    EXPECT_EQ(Curl::PostFile(service.Base() + "/errorfile.ashx", "other", "x.dmp", "abc").body,
              "0");
    EXPECT_EQ(Curl::Post(service.Base() + "/errorfile.ashx", "file=abc").body, "0");
}

}  // namespace
}  // namespace quillora::service
