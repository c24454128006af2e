#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillora::matting {

// The 16-character key of the report cipher, shared with the statistics
// service that opens the reports.
inline constexpr std::string_view kReportCipherKey = "QlrReport2026Key";

inline constexpr std::int32_t kQuilloraAppId = 54;
inline constexpr std::int32_t kQuilloraAppApiId = 1;

// Report kinds of the background thread: action type ids are 1 to 4.
inline constexpr int kReportInstall = 1;
inline constexpr int kReportUninstall = 2;
inline constexpr int kReportStart = 3;
inline constexpr int kReportUpdateDownload = 4;
inline constexpr int kReportEvents = 5;
inline constexpr int kReportFileUpload = 7;

inline constexpr const char* kActionEndpoint = "action.ashx";
inline constexpr const char* kEventEndpoint = "event.ashx";
inline constexpr const char* kErrorFileEndpoint = "errorfile.ashx";

// Who reports: the identity of this installation.
struct ReportIdentity {
    std::string host;  // statistics host and port, without scheme
    std::int32_t appId = kQuilloraAppId;
    std::int32_t osBit = 64;
    std::string channelCode;
    std::string version;
    std::string machineCode;
    std::string os;
    std::string username;
    std::string adId;  // sent as an integer
    std::int32_t appApiId = kQuilloraAppApiId;
};

struct ReportEvent {
    std::string code;
    std::string value;
    std::int32_t times = 0;
    std::int32_t mode = 1;  // 2 when the event was flagged
};

Json::Value ActionDocument(const ReportIdentity& identity, int typeId);
Json::Value EventDocument(const ReportIdentity& identity, const std::vector<ReportEvent>& events);

// jsoncpp's styled form: three-space indents, one member per line, members
// in ascending key order, a trailing newline.
std::string StyledText(const Json::Value& document);

// Base64 of the AES-128-ECB cipher text (PKCS#7) of the text; empty when
// enciphering fails.
std::string SealReport(std::string_view text, std::string_view key = kReportCipherKey);

// "http://" + host + "/" + endpoint; the endpoint of a background kind.
std::string ReportUrl(const std::string& host, const char* endpoint);
const char* EndpointOfKind(int kind);

// The answer read as a decimal integer (leading blanks and digits, as atoi
// reads) is at least 1.
bool ReportAccepted(std::string_view answer);

}  // namespace quillora::matting
