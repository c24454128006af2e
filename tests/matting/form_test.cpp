#include <gtest/gtest.h>

#include <cstdio>

#include "matting/client/MattingClient.h"
#include "matting/client/MattingForm.h"
#include "tests/matting/MattingFixtures.h"

namespace quillora::matting {
namespace {

using test::FixedClient;
using test::FixedIdentity;
using test::kThreeBytes;

// What was signed: the parameters as they stood before `s` joined them.
std::string SignedPart(ParameterMap parameters) {
    parameters.erase("s");
    return SignedText(parameters);
}

// Signed text of the fixed cut-out request (cutobj 1, alphamatting 1, "png"),
// and its signature computed outside this program:
//   printf '%s' "$TEXT" | openssl dgst -sha256 -hmac 'qlr-mat-4b8e2d6a90c17f35' -binary | base64
constexpr const char* kCutOutSignedText =
    "adid=qd1001&alphamatting=1&cutobj=1&filetype=png&imagesize=3&lc=zh_CN&partner_id=0"
    "&platform=windows&product_id=1&t=1700000000123&uid=A1B2C3D4E5F60718&version=1.0.0.5";
constexpr const char* kCutOutSignature = "i/y8yXqSx87NCAytxEoBuFcG8umztmSr/nNJ5sAQOng=";

// The whole body, key order adid, alphamatting, cutobj, filetype, image,
// imagesize, lc, partner_id, platform, product_id, s, t, uid, username, version.
constexpr const char* kCutOutBody =
    "adid=qd1001&alphamatting=1&cutobj=1&filetype=png&image=%2B%2F%2B%2F&imagesize=3"
    "&lc=zh_CN&partner_id=0&platform=windows&product_id=1"
    "&s=i%2Fy8yXqSx87NCAytxEoBuFcG8umztmSr%2FnNJ5sAQOng%3D&t=1700000000123"
    "&uid=A1B2C3D4E5F60718&username=&version=1.0.0.5";

TEST(CutOutForm, BodyMatchesByteForByte) {
    const auto client = FixedClient("http://unused");
    const ParameterMap parameters = client.CutOutParameters(kThreeBytes, "png", {1, true});
    EXPECT_EQ(SignedPart(parameters), kCutOutSignedText);
    EXPECT_EQ(parameters.at("s"), kCutOutSignature);
    EXPECT_EQ(EncodeForm(parameters), kCutOutBody);
}

TEST(CutOutForm, KeysComeInByteOrder) {
    const auto client = FixedClient("http://unused");
    std::string order;
    for (const auto& [key, value] : client.CutOutParameters(kThreeBytes, "png", {})) {
        order += key + ",";
    }
    EXPECT_EQ(order,
              "adid,alphamatting,cutobj,filetype,image,imagesize,lc,partner_id,platform,"
              "product_id,s,t,uid,username,version,");
}

TEST(CutOutForm, ImageSizeCountsRawBytes) {
    const auto parameters = FixedClient("http://unused").CutOutParameters(kThreeBytes, "png", {});
    EXPECT_EQ(parameters.at("imagesize"), "3");
    EXPECT_EQ(parameters.at("image"), "+/+/");
}

TEST(CutOutForm, AmpersandIsEscapedInTheBodyAndRawInTheSignedText) {
    auto identity = FixedIdentity();
    identity.version = "2.0&beta=1";
    identity.username = "777";
    const auto parameters =
        FixedClient("http://unused", identity).CutOutParameters(kThreeBytes, "png", {});
    const std::string signedText = SignedPart(parameters);
    EXPECT_NE(signedText.find("&username=777&version=2.0&beta=1"), std::string::npos);
    // printf '%s' "$TEXT" | openssl dgst -sha256 -hmac 'qlr-mat-4b8e2d6a90c17f35' -binary | base64
    EXPECT_EQ(parameters.at("s"), "DQbu5G9qNffrnXZXGh8kb6jUPpiZBXh6oa76JsmK54w=");
    const std::string body = EncodeForm(parameters);
    EXPECT_NE(body.find("&username=777&version=2.0%26beta%3D1"), std::string::npos);
    EXPECT_EQ(body.find("beta=1"), std::string::npos);
}

TEST(CutOutForm, SignedOutUserIsSentButNotSigned) {
    const auto parameters = FixedClient("http://unused").CutOutParameters(kThreeBytes, "png", {});
    ASSERT_EQ(parameters.count("username"), 1u);
    EXPECT_EQ(SignedPart(parameters).find("username"), std::string::npos);
    EXPECT_NE(EncodeForm(parameters).find("&username=&"), std::string::npos);
}

TEST(RefineForm, QualityOnlyForLowerCaseJpg) {
    auto client = FixedClient("http://unused");
    const auto jpg = client.RefineParameters(kThreeBytes, "mask", "jpg");
    ASSERT_EQ(jpg.count("quality"), 1u);
    EXPECT_EQ(jpg.at("quality"), "70");
    for (const char* other : {"jpeg", "JPG", "png", "jpg ", ""}) {
        EXPECT_EQ(client.RefineParameters(kThreeBytes, "mask", other).count("quality"), 0u)
            << other;
    }
    client.setJpegQuality(kJpegQualityHigh);
    EXPECT_EQ(client.RefineParameters(kThreeBytes, "mask", "jpg").at("quality"), "100");
}

TEST(RefineForm, MaskTravelsButIsNotSigned) {
    const auto parameters =
        FixedClient("http://unused").RefineParameters(kThreeBytes, "abc", "jpg");
    EXPECT_EQ(parameters.at("mask"), "YWJj");
    EXPECT_EQ(parameters.count("cutobj"), 0u);
    EXPECT_EQ(SignedPart(parameters),
              "adid=qd1001&filetype=jpg&imagesize=3&lc=zh_CN&partner_id=0&platform=windows"
              "&product_id=1&quality=70&t=1700000000123&uid=A1B2C3D4E5F60718&version=1.0.0.5");
    // Computed with the openssl command line as above.
    EXPECT_EQ(parameters.at("s"), "OjD4AM1ejuSDJ6y3N1KZFpaSfaong3HkHWWM7FEdSfA=");
}

TEST(SignParameters, IsBase64OfA32ByteDigest) {
    const ParameterMap parameters{{"a", "1"}, {"image", "x"}, {"mask", "y"}, {"z", ""}};
    EXPECT_EQ(SignedText(parameters), "a=1");
    const std::string s = SignParameters(parameters, "k");
    EXPECT_EQ(s.size(), 44u);
    EXPECT_EQ(s.back(), '=');
    EXPECT_EQ(s, SignParameters(ParameterMap{{"a", "1"}}, "k"));
    EXPECT_NE(s, SignParameters(ParameterMap{{"a", "1"}}, "K"));
}

TEST(SignParameters, NothingToSignGivesEmptyText) {
    EXPECT_EQ(SignedText({{"image", "x"}, {"u", ""}}), "");
}

// Independent statement of the escaping: unreserved bytes stay, every other
// byte becomes "%" and two upper-case hex digits.
std::string ExpectedEscape(const std::string& text) {
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c) && c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c == '-' || c == '.' || c == '_' || c == '~') {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

TEST(EncodeForm, EscapesEveryByteLikeCurlEscape) {
    std::string every;
    for (int b = 1; b < 256; ++b) {
        every.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(EncodeForm({{"all", every}}), "all=" + ExpectedEscape(every));
    EXPECT_EQ(EncodeForm({{"k", std::string("a\0b", 3)}}), "k=a%00b");
    EXPECT_EQ(EncodeForm({{"sp ace", "a b+c/d=e~f"}}), "sp%20ace=a%20b%2Bc%2Fd%3De~f");
    EXPECT_EQ(EncodeForm({{"u", "\xc3\xa9"}}), "u=%C3%A9");
}

TEST(EncodeForm, EmptyValuesKeepTheirKey) {
    EXPECT_EQ(EncodeForm({{"a", ""}, {"b", "1"}}), "a=&b=1");
    EXPECT_EQ(EncodeForm({}), "");
}

}  // namespace
}  // namespace quillora::matting
