#include <httplib.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <limits>

#include "service/server/MattingAnswer.h"
#include "service/server/ServiceContext.h"
#include "service/wire/SharedKeys.h"

namespace quillora::service {
namespace {

const char* const kJson = "application/json; charset=utf-8";
const char* const kMattingPath = "/quillora/cutout.py";

// A client that trickles its body in keeps a connection thread; past this it
// is refused even though every single read came within the read time-out.
constexpr auto kBodyDeadline = std::chrono::seconds(120);

// The Content-Length the client declared; 0 when there is none, and the
// largest value for one that is not a plain number.
std::int64_t DeclaredLength(const httplib::Request& request) {
    const std::string text = request.get_header_value("Content-Length");
    std::int64_t length = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
    if (text.empty()) {
        return 0;
    }
    return error == std::errc() && end == text.data() + text.size()
               ? length
               : std::numeric_limits<std::int64_t>::max();
}

}  // namespace

void RegisterMattingRoutes(httplib::Server& server, ServiceContext& context) {
    server.Post(kMattingPath, [&context](const httplib::Request& request,
                                         httplib::Response& response,
                                         const httplib::ContentReader& readBody) {
        const ServiceConfig config = context.config.Current();
        // A declared length over the limit is refused before any byte is read.
        if (DeclaredLength(request) > config.maxBodyBytes) {
            response.set_content(MattingRefusal("request body too large"), kJson);
            response.set_header("Connection", "close");
            return;
        }
        const auto started = std::chrono::steady_clock::now();
        std::string body;
        bool tooLarge = false;
        bool tooSlow = false;
        const bool read = readBody([&](const char* data, std::size_t length) {
            if (body.size() + length > static_cast<std::size_t>(config.maxBodyBytes)) {
                tooLarge = true;
                return false;
            }
            if (std::chrono::steady_clock::now() - started > kBodyDeadline) {
                tooSlow = true;
                return false;
            }
            body.append(data, length);
            return true;
        });
        if (!read) {
            response.set_content(MattingRefusal(tooSlow    ? "request took too long"
                                                : tooLarge ? "request body too large"
                                                           : "request body incomplete"),
                                 kJson);
            response.set_header("Connection", "close");
            return;
        }
        const auto fields = ParseForm(body);
        body.clear();
        body.shrink_to_fit();
        if (!fields) {
            response.set_content(MattingRefusal("malformed form"), kJson);
            return;
        }
        MattingLimits limits;
        limits.open = config.open != 0;
        limits.maxPhotoBytes = config.fileSizeKb * 1024;
        limits.maxPixels = config.maxPixels;
        const auto computeStart = std::chrono::steady_clock::now();
        std::string answer =
            AnswerMattingForm(*fields, kMattingApiKey, limits, context.segmenter, context.gate);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - computeStart).count();
        std::fprintf(stderr, "matting: %s in %.2f s\n",
                     answer.compare(0, 11, "{\"result\":1") == 0 ? "cut-out" : answer.c_str(),
                     seconds);
        response.set_content(std::move(answer), kJson);
    });
}

}  // namespace quillora::service
