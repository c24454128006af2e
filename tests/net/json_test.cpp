#include "net/json/JsonRead.h"

#include <gtest/gtest.h>

#include <string>

namespace quillora::net {
namespace {

std::string Nested(int depth, char open, char close, const std::string& inner = "") {
    return std::string(static_cast<std::size_t>(depth), open) + inner +
           std::string(static_cast<std::size_t>(depth), close);
}

TEST(ParseJson, ReadsObjectsWithComments) {
    Json::Value root;
    ASSERT_TRUE(ParseJson("{ // the answer\n \"code\": 1, /* note */ \"msg\": \"ok\" }", root));
    EXPECT_EQ(JsonInt(JsonMember(root, "code")), 1);
    EXPECT_EQ(JsonString(JsonMember(root, "msg")), "ok");
}

TEST(ParseJson, RejectsMalformedText) {
    Json::Value root;
    for (const char* bad : {"", "{", "{\"a\":}", "[1,2", "{\"a\" 1}", "nul"}) {
        EXPECT_FALSE(ParseJson(bad, root)) << bad;
    }
}

TEST(ParseJson, NestingStopsAtTheLimit) {
    Json::Value root;
    EXPECT_TRUE(ParseJson(Nested(kJsonStackLimit - 1, '[', ']'), root));
    EXPECT_FALSE(ParseJson(Nested(kJsonStackLimit + 1, '[', ']'), root));
}

TEST(ParseJson, HundredThousandLevelsFailWithoutCrashing) {
    Json::Value root;
    EXPECT_FALSE(ParseJson(Nested(100'000, '[', ']'), root));
    std::string objects;
    for (int i = 0; i < 100'000; ++i) {
        objects += "{\"a\":";
    }
    objects += "1" + std::string(100'000, '}');
    EXPECT_FALSE(ParseJson(objects, root));
    // Unclosed nesting as well: the parser must stop before reaching the end.
    EXPECT_FALSE(ParseJson(std::string(100'000, '['), root));
}

TEST(JsonTruthy, FollowsTheBoolConversionOfTheAnswerRules) {
    Json::Value root;
    ASSERT_TRUE(ParseJson(R"({"t":true,"f":false,"one":1,"zero":0,"neg":-2,"half":0.5,
        "zr":0.0,"s":"ok","e":"","arr":[0],"earr":[],"obj":{"a":0},"eobj":{},"n":null})",
                          root));
    for (const char* yes : {"t", "one", "neg", "half", "s", "arr", "obj"}) {
        EXPECT_TRUE(JsonTruthy(JsonMember(root, yes))) << yes;
    }
    for (const char* no : {"f", "zero", "zr", "e", "earr", "eobj", "n", "missing"}) {
        EXPECT_FALSE(JsonTruthy(JsonMember(root, no))) << no;
    }
}

TEST(JsonNumbers, ConvertWithoutThrowingAndClamp) {
    Json::Value root;
    ASSERT_TRUE(ParseJson(R"({"i":20480,"big":18446744073709551615,"huge":1e300,
        "nhuge":-1e300,"real":-7.9,"s":"12","t":true,"arr":[1],"n":null})",
                          root));
    EXPECT_EQ(JsonInt64(JsonMember(root, "i")), 20480);
    EXPECT_EQ(JsonInt64(JsonMember(root, "big")), INT64_MAX);
    EXPECT_EQ(JsonInt64(JsonMember(root, "huge")), INT64_MAX);
    EXPECT_EQ(JsonInt64(JsonMember(root, "nhuge")), INT64_MIN);
    EXPECT_EQ(JsonInt64(JsonMember(root, "real")), -7);
    EXPECT_EQ(JsonInt(JsonMember(root, "big")), INT32_MAX);
    EXPECT_EQ(JsonInt(JsonMember(root, "nhuge")), INT32_MIN);
    EXPECT_EQ(JsonInt64(JsonMember(root, "s")), 0);
    EXPECT_EQ(JsonInt64(JsonMember(root, "t")), 1);
    EXPECT_EQ(JsonInt64(JsonMember(root, "arr")), 0);
    EXPECT_EQ(JsonInt64(JsonMember(root, "n")), 0);
}

TEST(JsonString, ScalarsPrintAndContainersAreEmpty) {
    Json::Value root;
    ASSERT_TRUE(ParseJson(R"({"s":" 17 ","i":1700000000,"b":false,"o":{"x":1},"a":["x"]})", root));
    EXPECT_EQ(JsonString(JsonMember(root, "s")), " 17 ");
    EXPECT_EQ(JsonString(JsonMember(root, "i")), "1700000000");
    EXPECT_EQ(JsonString(JsonMember(root, "b")), "false");
    EXPECT_EQ(JsonString(JsonMember(root, "o")), "");
    EXPECT_EQ(JsonString(JsonMember(root, "a")), "");
    EXPECT_EQ(JsonString(JsonMember(root, "missing")), "");
}

TEST(JsonMember, NonObjectsHaveNoMembers) {
    Json::Value root;
    ASSERT_TRUE(ParseJson(R"([{"image":"x"}])", root));
    EXPECT_TRUE(JsonMember(root, "image").isNull());
    ASSERT_TRUE(ParseJson(R"("text")", root));
    EXPECT_TRUE(JsonMember(root, "image").isNull());
}

}  // namespace
}  // namespace quillora::net
