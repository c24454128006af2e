#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "matting/reports/ReportBody.h"

namespace quillora::matting {

// Reports installs, starts, uninstalls and updates, usage events and crash
// files to the statistics service: each report becomes styled JSON,
// AES-128-ECB enciphered and Base64 encoded, posted on the calling thread or
// on one background thread. A new background report while one runs is
// dropped, not queued. Failures are silent: the result is the only report.
//
// Threads: the UI thread fills the identity, adds events and calls every
// entry point. The background thread reads only what the entry point stored
// for it before starting it, and calls onSent on that thread when the send
// has ended.
class UsageReporter {
public:
    // (result, answer, kind): kind is the action type, 5 for events, 7 for a
    // file upload (whose answer is not passed on).
    using SentCallback = std::function<void(bool, const std::string&, int)>;

    // The host from the endpoint table, the OS name and bitness from the
    // platform; the rest of the identity starts empty.
    UsageReporter();
    // Waits for a background send still running.
    ~UsageReporter();
    UsageReporter(const UsageReporter&) = delete;
    UsageReporter& operator=(const UsageReporter&) = delete;

    // Filled once at start-up; not changed while IsBusy().
    ReportIdentity& identity() { return identity_; }
    const ReportIdentity& identity() const { return identity_; }
    void setOnSent(SentCallback onSent) { onSent_ = std::move(onSent); }

    bool SendAction(int typeId, bool async);
    void AddEvent(std::string code, int times, bool flagged, std::string value);
    // Nothing is sent (false) when no event was added. The events are
    // emptied once the report is on its way; a background report that is
    // refused keeps them for the next try.
    bool SendEvents(bool async);
    bool UploadFile(const std::string& path, bool async);
    // Aborts a running upload between blocks.
    void CancelUpload() { cancelUpload_.store(true); }

    // True while the background thread runs; with wait, blocks until it ends
    // first. An ended thread is joined here.
    bool IsBusy(bool wait);
    bool IsUploading();

    std::size_t eventCount() const { return events_.size(); }

private:
    bool Post(const std::string& body, int kind, std::string* answer) const;
    bool Upload(const std::string& path);
    // False (nothing started) while the background thread runs.
    bool StartBackground(std::function<void()> work, int kind);

    ReportIdentity identity_;
    SentCallback onSent_;
    std::vector<ReportEvent> events_;
    std::atomic<bool> cancelUpload_{false};
    std::atomic<bool> running_{false};
    std::atomic<int> pendingKind_{0};
    std::thread thread_;
};

}  // namespace quillora::matting
