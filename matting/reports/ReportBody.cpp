#include "matting/reports/ReportBody.h"

#include <json/writer.h>

#include <cstdlib>

#include "common/codec/Aes.h"
#include "common/codec/Base64.h"

namespace quillora::matting {

Json::Value ActionDocument(const ReportIdentity& identity, int typeId) {
    Json::Value document(Json::objectValue);
    document["AdId"] = std::atoi(identity.adId.c_str());
    document["AppApiId"] = identity.appApiId;
    document["AppId"] = identity.appId;
    document["ChannelCode"] = identity.channelCode;
    document["MachineCode"] = identity.machineCode;
    document["Os"] = identity.os;
    document["OsBit"] = identity.osBit;
    document["TypeId"] = typeId;
    document["Version"] = identity.version;
    return document;
}

Json::Value EventDocument(const ReportIdentity& identity, const std::vector<ReportEvent>& events) {
    Json::Value document(Json::objectValue);
    document["AppId"] = identity.appId;
    document["OsBit"] = identity.osBit;
    document["Version"] = identity.version;
    document["Username"] = identity.username;
    document["MachineCode"] = identity.machineCode;
    document["ChannelCode"] = identity.channelCode;
    Json::Value logs(Json::arrayValue);
    for (const ReportEvent& event : events) {
        Json::Value log(Json::objectValue);
        log["Code"] = event.code;
        log["Value"] = event.value;
        log["Times"] = event.times;
        log["Mode"] = event.mode;
        logs.append(std::move(log));
    }
    document["Logs"] = std::move(logs);
    return document;
}

std::string StyledText(const Json::Value& document) {
    Json::StyledWriter writer;
    return writer.write(document);
}

std::string SealReport(std::string_view text, std::string_view key) {
    const std::optional<std::string> cipher = codec::Aes128EcbEncrypt(key, text);
    return cipher ? codec::Base64Encode(*cipher) : std::string();
}

std::string ReportUrl(const std::string& host, const char* endpoint) {
    return "http://" + host + "/" + endpoint;
}

const char* EndpointOfKind(int kind) {
    if (kind == kReportEvents) {
        return kEventEndpoint;
    }
    return kind == kReportFileUpload ? kErrorFileEndpoint : kActionEndpoint;
}

bool ReportAccepted(std::string_view answer) {
    const std::string text(answer);
    return std::strtol(text.c_str(), nullptr, 10) >= 1;
}

}  // namespace quillora::matting
