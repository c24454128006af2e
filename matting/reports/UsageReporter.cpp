#include "matting/reports/UsageReporter.h"

#include <cstdio>

#include "matting/reports/FileUpload.h"
#include "net/endpoints/Endpoints.h"
#include "net/transport/CurlTransfer.h"
#include "net/transport/TextRequests.h"
#include "platform/system/OsInfo.h"

namespace quillora::matting {

UsageReporter::UsageReporter() {
    identity_.host = net::CurrentEndpoints().HostAndPort(net::Service::Statistics);
    identity_.os = platform::OsName().toStdString();
    identity_.osBit = platform::OsBitness();
}

UsageReporter::~UsageReporter() {
    IsBusy(true);
}

bool UsageReporter::Post(const std::string& body, int kind, std::string* answer) const {
    const std::string url = ReportUrl(identity_.host, EndpointOfKind(kind));
    std::string text;
    const bool posted = net::PostStringToUrl(url, body.data(), body.size(), &text, true, true);
    if (answer != nullptr) {
        *answer = text;
    }
    return posted && ReportAccepted(text);
}

bool UsageReporter::StartBackground(std::function<void()> work, int kind) {
    if (IsBusy(false)) {
        return false;
    }
    pendingKind_.store(kind);
    running_.store(true);
    thread_ = std::thread([this, work = std::move(work)] {
        work();
        running_.store(false);
    });
    return true;
}

bool UsageReporter::SendAction(int typeId, bool async) {
    const std::string body = SealReport(StyledText(ActionDocument(identity_, typeId)));
    if (!async) {
        return Post(body, typeId, nullptr);
    }
    return StartBackground(
        [this, body, typeId] {
            std::string answer;
            const bool ok = Post(body, typeId, &answer);
            if (onSent_) {
                onSent_(ok, answer, typeId);
            }
        },
        typeId);
}

void UsageReporter::AddEvent(std::string code, int times, bool flagged, std::string value) {
    events_.push_back(ReportEvent{std::move(code), std::move(value), times, flagged ? 2 : 1});
}

bool UsageReporter::SendEvents(bool async) {
    if (events_.empty() || (async && IsBusy(false))) {
        return false;
    }
    const std::string body = SealReport(StyledText(EventDocument(identity_, events_)));
    events_.clear();
    if (!async) {
        return Post(body, kReportEvents, nullptr);
    }
    return StartBackground(
        [this, body] {
            std::string answer;
            const bool ok = Post(body, kReportEvents, &answer);
            if (onSent_) {
                onSent_(ok, answer, kReportEvents);
            }
        },
        kReportEvents);
}

bool UsageReporter::Upload(const std::string& path) {
    const std::string url =
        ReportUrl(identity_.host, kErrorFileEndpoint) + "?aid=" + std::to_string(identity_.appId) +
        "&v=" + net::CurlEscape(identity_.version) + "&os=" + net::CurlEscape(identity_.os);
    const bool ok = UploadFileMultipart(url, path, cancelUpload_);
    if (onSent_) {
        onSent_(ok, std::string(), kReportFileUpload);
    }
    return ok;
}

bool UsageReporter::UploadFile(const std::string& path, bool async) {
    if (IsBusy(false)) {
        return false;
    }
    cancelUpload_.store(false);
    if (!async) {
        return Upload(path);
    }
    return StartBackground([this, path] { Upload(path); }, kReportFileUpload);
}

bool UsageReporter::IsBusy(bool wait) {
    if (!thread_.joinable()) {
        return false;
    }
    if (wait || !running_.load()) {
        thread_.join();
        return false;
    }
    return true;
}

bool UsageReporter::IsUploading() {
    return IsBusy(false) && pendingKind_.load() == kReportFileUpload;
}

}  // namespace quillora::matting
