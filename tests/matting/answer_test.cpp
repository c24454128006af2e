#include <gtest/gtest.h>

#include "matting/client/MattingAnswer.h"

namespace quillora::matting {
namespace {

TEST(MattingAnswer, TrueResultWithBase64ImageSucceeds) {
    EXPECT_EQ(DecodeMattingAnswer(R"({"result":"ok","image":"aGk="})"), "hi");
    EXPECT_EQ(DecodeMattingAnswer(R"({"result":1,"image":"aGk="})"), "hi");
    EXPECT_EQ(DecodeMattingAnswer(R"({"result":true,"image":"aGk=","extra":[1]})"), "hi");
    EXPECT_EQ(DecodeMattingAnswer("{\"result\":2, /* note */ \"image\":\"aGk=\"}"), "hi");
}

TEST(MattingAnswer, FalseResultFails) {
    for (const char* answer :
         {R"({"result":0,"image":"aGk="})", R"({"result":false,"image":"aGk="})",
          R"({"result":"","image":"aGk="})", R"({"result":null,"image":"aGk="})",
          R"({"result":[],"image":"aGk="})", R"({"image":"aGk="})"}) {
        EXPECT_FALSE(DecodeMattingAnswer(answer)) << answer;
    }
}

TEST(MattingAnswer, EmptyOrMisplacedImageFails) {
    EXPECT_FALSE(DecodeMattingAnswer(R"({"result":1,"image":""})"));
    EXPECT_FALSE(DecodeMattingAnswer(R"({"result":1})"));
    EXPECT_FALSE(DecodeMattingAnswer(R"({"result":{"image":"aGk="}})"));
    EXPECT_FALSE(DecodeMattingAnswer(R"({"result":1,"data":{"image":"aGk="}})"));
    EXPECT_FALSE(DecodeMattingAnswer(R"({"result":1,"image":["aGk="]})"));
    EXPECT_FALSE(DecodeMattingAnswer(R"({"result":1,"image":{"b":"aGk="}})"));
}

TEST(MattingAnswer, ImageThatIsNotBase64Fails) {
    EXPECT_FALSE(DecodeMattingAnswer(R"({"result":1,"image":"not base64!"})"));
    EXPECT_FALSE(DecodeMattingAnswer(R"({"result":1,"image":"aGk"})"));
    EXPECT_FALSE(DecodeMattingAnswer(R"({"result":1,"image":"aG\nk="})"));
    EXPECT_FALSE(DecodeMattingAnswer(R"({"result":1,"image":12})"));
}

TEST(MattingAnswer, AnythingBeforeTheBraceFails) {
    EXPECT_FALSE(DecodeMattingAnswer(R"( {"result":1,"image":"aGk="})"));
    EXPECT_FALSE(DecodeMattingAnswer("\xef\xbb\xbf{\"result\":1,\"image\":\"aGk=\"}"));
    EXPECT_FALSE(DecodeMattingAnswer("\n{\"result\":1,\"image\":\"aGk=\"}"));
}

TEST(MattingAnswer, NonJsonAnswersFail) {
    EXPECT_FALSE(DecodeMattingAnswer(""));
    EXPECT_FALSE(DecodeMattingAnswer("<html><body>502 Bad Gateway</body></html>"));
    EXPECT_FALSE(DecodeMattingAnswer("{\"result\":1,\"image\":\"aGk="));
    EXPECT_FALSE(DecodeMattingAnswer("{result:1}"));
}

TEST(MattingAnswer, DeepNestingFailsWithoutCrashing) {
    std::string deep = "{\"result\":1,\"image\":\"aGk=\",\"x\":";
    deep += std::string(100'000, '[') + std::string(100'000, ']') + "}";
    EXPECT_FALSE(DecodeMattingAnswer(deep));
}

}  // namespace
}  // namespace quillora::matting
