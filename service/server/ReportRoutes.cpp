#include <httplib.h>
#include <json/writer.h>

#include <atomic>

#include "common/text/TimeStamp.h"
#include "service/server/AtomicFile.h"
#include "service/server/ServiceContext.h"
#include "service/wire/ReportCipher.h"
#include "service/wire/SharedKeys.h"

namespace quillora::service {
namespace {

const char* const kText = "text/plain; charset=utf-8";

std::string Compact(const Json::Value& value) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, value);
}

// Only letters, digits, dot, dash and underscore of an uploaded file's name
// survive, so a name can never reach outside the upload folder.
std::string SafeName(const std::string& name) {
    std::string safe;
    for (const char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        safe.push_back(plain ? c : '_');
    }
    while (!safe.empty() && safe.front() == '.') {
        safe.erase(safe.begin());
    }
    if (safe.size() > 80) {
        safe.resize(80);
    }
    return safe.empty() ? "crash.dat" : safe;
}

// Stores a report the program sent, one JSON line per report.
void AcceptReport(const std::filesystem::path& file, const httplib::Request& request,
                  httplib::Response& response) {
    const auto report = OpenReport(request.body, kReportCipherKey);
    if (!report) {
        response.status = 400;
        response.set_content("0", kText);
        return;
    }
    Json::Value line(Json::objectValue);
    line["received"] = Json::Int64(NowMillis());
    line["report"] = *report;
    if (!AppendLine(file, Compact(line))) {
        response.status = 500;
        response.set_content("0", kText);
        return;
    }
    response.set_content("1", kText);
}

}  // namespace

void RegisterReportRoutes(httplib::Server& server, ServiceContext& context) {
    server.Post(
        "/action.ashx", [&context](const httplib::Request& request, httplib::Response& response) {
            AcceptReport(context.folder.ReportsFolder() / "action.jsonl", request, response);
        });
    server.Post("/event.ashx",
                [&context](const httplib::Request& request, httplib::Response& response) {
                    AcceptReport(context.folder.ReportsFolder() / "event.jsonl", request, response);
                });
    server.Post("/errorfile.ashx",
                [&context](const httplib::Request& request, httplib::Response& response) {
                    if (!request.is_multipart_form_data() || !request.has_file("file")) {
                        response.status = 400;
                        response.set_content("0", kText);
                        return;
                    }
                    static std::atomic<unsigned> counter{0};
                    const httplib::MultipartFormData part = request.get_file_value("file");
                    const std::string stored = MicrosText() + "-" + std::to_string(counter++) +
                                               "-" + SafeName(part.filename);
                    const std::filesystem::path folder = context.folder.ErrorFilesFolder();
                    if (!WriteFileAtomically(folder / stored, part.content)) {
                        response.status = 500;
                        response.set_content("0", kText);
                        return;
                    }
                    Json::Value line(Json::objectValue);
                    line["received"] = Json::Int64(NowMillis());
                    line["file"] = stored;
                    line["name"] = part.filename;
                    line["size"] = Json::UInt64(part.content.size());
                    line["aid"] = request.get_param_value("aid");
                    line["v"] = request.get_param_value("v");
                    line["os"] = request.get_param_value("os");
                    AppendLine(folder / "errorfiles.jsonl", Compact(line));
                    response.set_content("1", kText);
                });
}

}  // namespace quillora::service
