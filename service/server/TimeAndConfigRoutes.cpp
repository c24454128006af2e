#include <httplib.h>
#include <json/writer.h>

#include <charconv>
#include <chrono>

#include "service/server/ServiceContext.h"
#include "service/wire/RequestSigning.h"
#include "service/wire/SharedKeys.h"

namespace quillora::service {
namespace {

const char* const kJson = "application/json; charset=utf-8";

std::int64_t NowSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

std::string Compact(const Json::Value& value) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, value);
}

std::string Refusal(const char* message) {
    Json::Value answer(Json::objectValue);
    answer["code"] = 0;
    answer["msg"] = message;
    return Compact(answer);
}

// The Host header as the program wrote it, when it is a plain host and port;
// the cut-out address then names the service the way the program reached it.
std::string OwnAddress(const httplib::Request& request, int port) {
    const std::string host = request.get_header_value("Host");
    const bool plain = !host.empty() && host.size() < 256 &&
                       host.find_first_not_of(
                           "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                           "0123456789.-:[]") == std::string::npos;
    return "http://" + (plain ? host : "127.0.0.1:" + std::to_string(port));
}

// The time text is the decimal seconds this service handed out.
bool FreshTime(const std::string& text, std::int64_t window) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    const std::int64_t age = NowSeconds() - value;
    return age <= window && age >= -window;
}

}  // namespace

void RegisterTimeAndConfigRoutes(httplib::Server& server, ServiceContext& context) {
    server.Get("/api", [](const httplib::Request&, httplib::Response& response) {
        Json::Value answer(Json::objectValue);
        answer["code"] = 1;
        answer["time"] = std::to_string(NowSeconds());
        response.set_content(Compact(answer), kJson);
    });

    server.Get("/api_tarn/image_matting/config",
               [&context](const httplib::Request& request, httplib::Response& response) {
                   const ServiceConfig config = context.config.Current();
                   const std::string time = request.get_param_value("time");
                   const std::string sign = request.get_param_value("sign");
                   if (request.get_param_value_count("time") != 1 ||
                       request.get_param_value_count("sign") != 1 ||
                       !SameSecret(sign, ConfigSignature(kConfigApiKey, time))) {
                       response.set_content(Refusal("signature does not match"), kJson);
                       return;
                   }
                   if (!FreshTime(time, config.timeWindowSeconds)) {
                       response.set_content(Refusal("time expired"), kJson);
                       return;
                   }
                   Json::Value data(Json::objectValue);
                   data["open"] = Json::Int64(config.open);
                   data["batchCount"] = Json::Int64(config.batchCount);
                   data["fileSize"] = Json::Int64(config.fileSizeKb);
                   data["url"] = config.mattingUrl.empty()
                                     ? OwnAddress(request, context.port) + "/quillora/cutout.py"
                                     : config.mattingUrl;
                   data["totalOpenFlag"] = Json::Int64(config.totalOpenFlag);
                   Json::Value answer(Json::objectValue);
                   answer["code"] = 1;
                   answer["data"] = data;
                   response.set_content(Compact(answer), kJson);
               });
}

}  // namespace quillora::service
