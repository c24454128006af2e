// Form parsing, request signatures and report ciphers. Expected digests and
// cipher texts were made outside this code (Python's hmac and hashlib, the
// openssl command line) from the shared keys.

#include <gtest/gtest.h>

#include "service/wire/FormBody.h"
#include "service/wire/ReportCipher.h"
#include "service/wire/RequestSigning.h"
#include "service/wire/SharedKeys.h"

namespace quillora::service {
namespace {

TEST(FormBody, DecodesEscapesAndKeepsKeysInByteOrder) {
    const auto form = ParseForm("b=x%2By%3D&a=1+2&Z=%e4%b8%ad");
    ASSERT_TRUE(form);
    ASSERT_EQ(form->size(), 3u);
    EXPECT_EQ(form->at("b"), "x+y=");
    EXPECT_EQ(form->at("a"), "1 2");
    EXPECT_EQ(form->at("Z"), "\xe4\xb8\xad");
    EXPECT_EQ(form->begin()->first, "Z");  // upper case sorts before lower case
}

TEST(FormBody, KeepsEmptyValuesAndAnEqualsSignInsideAValue) {
    const auto form = ParseForm("username=&k=a=b");
    ASSERT_TRUE(form);
    EXPECT_EQ(form->at("username"), "");
    EXPECT_EQ(form->at("k"), "a=b");
    EXPECT_TRUE(ParseForm("")->empty());
}

TEST(FormBody, RefusesMalformedForms) {
    EXPECT_FALSE(ParseForm("a=%zz"));
    EXPECT_FALSE(ParseForm("a=%4"));
    EXPECT_FALSE(ParseForm("a=%"));
    EXPECT_FALSE(ParseForm("novalue"));
    EXPECT_FALSE(ParseForm("=value"));
    EXPECT_FALSE(ParseForm("a=1&&b=2"));
    EXPECT_FALSE(ParseForm("a=1&a=2"));  // a repeated key is ambiguous
    EXPECT_FALSE(ParseForm("a=1&"));
}

FormFields CutOutFields() {
    return {{"adid", "1001"},    {"alphamatting", "1"},  {"cutobj", "0"},
            {"filetype", "png"}, {"image", "QUJD"},      {"imagesize", "3"},
            {"lc", "zh_CN"},     {"partner_id", "7"},    {"platform", "windows"},
            {"product_id", "1"}, {"t", "1700000000123"}, {"uid", "ABCDEF"},
            {"username", ""},    {"version", "1.0.0.0"}};
}

TEST(RequestSigning, SignedTextSkipsImageMaskSignatureAndEmptyValues) {
    FormFields fields = CutOutFields();
    fields["mask"] = "TUFTSw==";
    fields["s"] = "whatever";
    EXPECT_EQ(MattingSignedText(fields),
              "adid=1001&alphamatting=1&cutobj=0&filetype=png&imagesize=3&lc=zh_CN&partner_id=7&"
              "platform=windows&product_id=1&t=1700000000123&uid=ABCDEF&version=1.0.0.0");
}

TEST(RequestSigning, ValuesEnterTheSignedTextRaw) {
    const FormFields fields = {{"a", "x&y=z"}, {"b", "%2B"}};
    EXPECT_EQ(MattingSignedText(fields), "a=x&y=z&b=%2B");
}

TEST(RequestSigning, MatchesAnIndependentlyComputedSignature) {
    EXPECT_EQ(MattingSignature(CutOutFields(), kMattingApiKey),
              "4WkSqXYfEu9imW5Au7FP1P6yCl6Og1P9Jr87HRw8Itw=");
}

TEST(RequestSigning, AcceptsTheRightSignatureAndRejectsTamperedForms) {
    FormFields fields = CutOutFields();
    fields["s"] = "4WkSqXYfEu9imW5Au7FP1P6yCl6Og1P9Jr87HRw8Itw=";
    EXPECT_TRUE(HasValidMattingSignature(fields, kMattingApiKey));

    FormFields otherValue = fields;
    otherValue["cutobj"] = "1";
    EXPECT_FALSE(HasValidMattingSignature(otherValue, kMattingApiKey));

    FormFields addedField = fields;
    addedField["extra"] = "1";
    EXPECT_FALSE(HasValidMattingSignature(addedField, kMattingApiKey));

    FormFields signedIn = fields;
    signedIn["username"] = "42";  // a non-empty user is signed
    EXPECT_FALSE(HasValidMattingSignature(signedIn, kMattingApiKey));

    FormFields otherImage = fields;
    otherImage["image"] = "WFla";  // the picture itself is not signed
    EXPECT_TRUE(HasValidMattingSignature(otherImage, kMattingApiKey));

    EXPECT_FALSE(HasValidMattingSignature(fields, kConfigApiKey));
    FormFields noSignature = fields;
    noSignature.erase("s");
    EXPECT_FALSE(HasValidMattingSignature(noSignature, kMattingApiKey));
    FormFields cutSignature = fields;
    cutSignature["s"].pop_back();
    EXPECT_FALSE(HasValidMattingSignature(cutSignature, kMattingApiKey));
}

TEST(RequestSigning, ConfigSignatureMatchesAnIndependentDigest) {
    EXPECT_EQ(ConfigSignature(kConfigApiKey, "1700000000"), "ec15682db72d2f22a4b46ff5feb5f14c");
    EXPECT_NE(ConfigSignature(kConfigApiKey, " 1700000000"), "ec15682db72d2f22a4b46ff5feb5f14c");
}

TEST(ReportCipher, OpensABodyEncipheredElsewhere) {
    const auto report =
        OpenReport("/OEkG6mP5hvG4PUa2CvT5CVNhY8QsCoFjon6OuJtv1k=", kReportCipherKey);
    ASSERT_TRUE(report);
    EXPECT_EQ((*report)["AppId"].asInt(), 54);
    EXPECT_EQ((*report)["TypeId"].asInt(), 3);
    // A line end after the Base64 text is tolerated.
    EXPECT_TRUE(OpenReport("/OEkG6mP5hvG4PUa2CvT5CVNhY8QsCoFjon6OuJtv1k=\r\n", kReportCipherKey));
}

TEST(ReportCipher, RefusesEveryDamagedLayer) {
    // Another key: the padding no longer checks out.
    EXPECT_FALSE(OpenReport("0wwaThKD/o2X1+eWLPjvgsDDUpD3MnYMlLFufgNJbPY=", kReportCipherKey));
    // Valid cipher text of something that is not JSON.
    EXPECT_FALSE(OpenReport("cYw3ZHBTJHmtEmHMQ81yUkpNCNQwalBtdcBaF/RWjvE=", kReportCipherKey));
    EXPECT_FALSE(OpenReport("not base64!", kReportCipherKey));
    EXPECT_FALSE(OpenReport("", kReportCipherKey));
    // 12 bytes: not a whole block.
    EXPECT_FALSE(OpenReport("AAAAAAAAAAAAAAAA", kReportCipherKey));
    // A JSON array is not a report.
    EXPECT_FALSE(
        OpenReport(SealReport(Json::Value(Json::arrayValue), kReportCipherKey), kReportCipherKey));
}

TEST(ReportCipher, SealedReportsOpenToTheSameDocument) {
    Json::Value report(Json::objectValue);
    report["MachineCode"] = "ABC";
    report["Logs"] = Json::Value(Json::arrayValue);
    report["Logs"].append("x");
    const std::string body = SealReport(report, kReportCipherKey);
    // The styled text is enciphered whole: length rounds up to whole blocks.
    EXPECT_EQ(body.size() % 4, 0u);
    const auto opened = OpenReport(body, kReportCipherKey);
    ASSERT_TRUE(opened);
    EXPECT_EQ(*opened, report);
}

}  // namespace
}  // namespace quillora::service
