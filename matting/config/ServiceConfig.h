#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "matting/config/ServiceFields.h"

namespace quillora::matting {

// Paths on the server-time and configuration hosts.
inline constexpr const char* kServerTimePath = "/api";
inline constexpr const char* kServiceConfigPath = "/api_tarn/image_matting/config";

struct ServerTime {
    std::string time;   // the server's time text exactly as sent; empty on failure
    std::string error;  // the server's `msg` when it answered with another code
};

// Fetches the server's clock (a text GET with fallbacks).
ServerTime GetServerTime(const std::string& serverTimeUrl);
// The reading step of GetServerTime on an answer already fetched.
ServerTime ReadServerTime(std::string_view answer);

// sign = MD5(key + "&" + MD5(time)) in lower-case hex; the time text is
// hashed exactly as the server sent it, spaces included.
std::string ConfigSignature(std::string_view apiKey, std::string_view time);

// configBase + "?time=" + time + "&sign=" + sign. The time goes into the
// address escaped, so a time text with spaces or "&" still makes one valid
// address; the server reads back the text that was signed.
std::string ConfigRequestUrl(const std::string& configBase, std::string_view time,
                             std::string_view sign);

// Everything one fetch needs.
struct ConfigRequest {
    std::string serverTimeUrl;
    std::string configUrl;  // without query
    std::string apiKey;     // the language file's ApiKey, as UTF-8
    QString byteUnit;       // the language file's "Byte", for small size texts
};

// From the endpoint table and the current language file.
ConfigRequest DefaultConfigRequest();

// Applies a configuration answer: only a JSON object whose `code` is 1
// changes anything, and then every field is set from `data` (open,
// batchCount, fileSize in KiB, url, totalOpenFlag, in that order), a missing
// member giving 0 or empty text; the size text follows the new limit.
// True when the answer was applied.
bool ApplyConfigAnswer(std::string_view answer, const QString& byteUnit, ServiceFields& fields);

// The whole exchange: server time, signature, configuration. Any failure
// leaves every field as it was. True when an answer was applied.
bool FetchServiceConfig(const ConfigRequest& request, ServiceFields& fields);

}  // namespace quillora::matting
