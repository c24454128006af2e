#include <httplib.h>
#include <json/writer.h>

#include <atomic>

#include "common/text/TimeStamp.h"
#include "service/account/AccountRoutes.h"
#include "service/account/FeedbackPage.h"
#include "service/server/AtomicFile.h"
#include "service/wire/FormBody.h"

namespace quillora::service {
namespace {

const char* const kHtml = "text/html; charset=utf-8";

std::string Compact(const Json::Value& value) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, value);
}

// The form's fields from either encoding; nullopt when the body is neither.
std::optional<FeedbackEntry> ReadEntry(const httplib::Request& request) {
    FeedbackEntry entry;
    if (request.is_multipart_form_data()) {
        const auto field = [&request](const char* name) {
            return request.has_file(name) ? request.get_file_value(name).content : std::string();
        };
        entry.text = field("text");
        entry.email = field("email");
        entry.attachLog = !field("attach_log").empty();
        if (request.has_file("log")) {
            const httplib::MultipartFormData part = request.get_file_value("log");
            entry.logName = part.filename;
            entry.logBytes = part.content;
        }
        return entry;
    }
    const auto fields = ParseForm(request.body);
    if (!fields) {
        return std::nullopt;
    }
    const auto value = [&fields](const char* name) {
        const auto found = fields->find(name);
        return found == fields->end() ? std::string() : found->second;
    };
    entry.text = value("text");
    entry.email = value("email");
    entry.attachLog = !value("attach_log").empty();
    return entry;
}

// Stores one entry as <stamp>.json, with its log beside it as <stamp>.log.
bool StoreEntry(const std::filesystem::path& folder, const FeedbackEntry& entry) {
    static std::atomic<unsigned> counter{0};
    const std::string stamp = MicrosText() + "-" + std::to_string(counter++);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    Json::Value record(Json::objectValue);
    record["received"] = Json::Int64(NowMillis());
    record["text"] = entry.text;
    record["email"] = entry.email;
    const bool withLog = entry.attachLog && !entry.logBytes.empty();
    if (withLog) {
        if (!WriteFileAtomically(folder / (stamp + ".log"), entry.logBytes)) {
            return false;
        }
        record["log"] = stamp + ".log";
        record["logName"] = entry.logName;
        record["logSize"] = Json::UInt64(entry.logBytes.size());
    }
    return WriteFileAtomically(folder / (stamp + ".json"), Compact(record) + "\n");
}

}  // namespace

void RegisterFeedbackRoutes(httplib::Server& server, const std::filesystem::path& dataFolder) {
    const std::filesystem::path folder = dataFolder / "feedback";
    server.Get("/feedback", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(FeedbackFormPage({}, {}), kHtml);
    });
    server.Post(
        "/feedback", [folder](const httplib::Request& request, httplib::Response& response) {
            const auto entry = ReadEntry(request);
            if (!entry) {
                response.status = 400;
                response.set_content(FeedbackFormPage({}, "The form could not be read."), kHtml);
                return;
            }
            const std::string problem = FeedbackProblem(*entry);
            if (!problem.empty()) {
                response.status = 400;
                response.set_content(FeedbackFormPage(*entry, problem), kHtml);
                return;
            }
            if (!StoreEntry(folder, *entry)) {
                response.status = 500;
                response.set_content(
                    FeedbackFormPage(*entry, "Your feedback could not be saved; please try again."),
                    kHtml);
                return;
            }
            response.set_content(FeedbackThanksPage(), kHtml);
        });
}

}  // namespace quillora::service
