#include "matting/config/ServiceConfig.h"

#include <limits>

#include "app/core/language/ByteSize.h"
#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "common/codec/Digest.h"
#include "net/endpoints/Endpoints.h"
#include "net/json/JsonRead.h"
#include "net/transport/CurlTransfer.h"
#include "net/transport/TextRequests.h"

namespace quillora::matting {
namespace {

constexpr std::int64_t kBytesPerKilobyte = 1024;

// A JSON object from an answer that must start with "{"; false otherwise.
bool ParseObjectAnswer(std::string_view answer, Json::Value& root) {
    return !answer.empty() && answer.front() == '{' && net::ParseJson(answer, root);
}

std::int64_t KilobytesToBytes(std::int64_t kilobytes) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max() / kBytesPerKilobyte;
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min() / kBytesPerKilobyte;
    return std::clamp(kilobytes, kMin, kMax) * kBytesPerKilobyte;
}

}  // namespace

ServerTime ReadServerTime(std::string_view answer) {
    ServerTime result;
    Json::Value root;
    if (!ParseObjectAnswer(answer, root)) {
        return result;
    }
    if (net::JsonInt(net::JsonMember(root, "code")) == 1) {
        result.time = net::JsonString(net::JsonMember(root, "time"));
    } else {
        result.error = net::JsonString(net::JsonMember(root, "msg"));
    }
    return result;
}

ServerTime GetServerTime(const std::string& serverTimeUrl) {
    return ReadServerTime(net::GetStringFromUrl(serverTimeUrl, true, false));
}

std::string ConfigSignature(std::string_view apiKey, std::string_view time) {
    std::string text(apiKey);
    text.append("&").append(codec::Md5Hex(time));
    return codec::Md5Hex(text);
}

std::string ConfigRequestUrl(const std::string& configBase, std::string_view time,
                             std::string_view sign) {
    std::string url = configBase;
    url.append("?time=").append(net::CurlEscape(time)).append("&sign=").append(sign);
    return url;
}

ConfigRequest DefaultConfigRequest() {
    const net::EndpointTable endpoints = net::CurrentEndpoints();
    ConfigRequest request;
    request.serverTimeUrl = endpoints.Url(net::Service::ServerTime, kServerTimePath);
    request.configUrl = endpoints.Url(net::Service::Config, kServiceConfigPath);
    request.apiKey = LangText(langkey::ui::kApiKey).toStdString();
    request.byteUnit = LangText(langkey::ui::kByte);
    return request;
}

bool ApplyConfigAnswer(std::string_view answer, const QString& byteUnit, ServiceFields& fields) {
    Json::Value root;
    if (!ParseObjectAnswer(answer, root) || net::JsonInt(net::JsonMember(root, "code")) != 1) {
        return false;
    }
    const Json::Value& data = net::JsonMember(root, "data");
    fields.setServiceOpen(net::JsonInt64(net::JsonMember(data, "open")) != 0);
    fields.setBatchLimit(net::JsonInt(net::JsonMember(data, "batchCount")));
    const std::int64_t limit = KilobytesToBytes(net::JsonInt64(net::JsonMember(data, "fileSize")));
    fields.setFileSizeLimit(limit);
    fields.setMattingUrl(net::JsonString(net::JsonMember(data, "url")));
    fields.setTotalOpenFlag(net::JsonInt64(net::JsonMember(data, "totalOpenFlag")) != 0);
    fields.setFileSizeLimitText(
        FormatByteSize(static_cast<std::uint64_t>(std::max<std::int64_t>(limit, 0)), byteUnit));
    return true;
}

bool FetchServiceConfig(const ConfigRequest& request, ServiceFields& fields) {
    const ServerTime serverTime = GetServerTime(request.serverTimeUrl);
    if (serverTime.time.empty()) {
        return false;
    }
    const std::string sign = ConfigSignature(request.apiKey, serverTime.time);
    const std::string url = ConfigRequestUrl(request.configUrl, serverTime.time, sign);
    return ApplyConfigAnswer(net::GetStringFromUrl(url, true, false), request.byteUnit, fields);
}

}  // namespace quillora::matting
