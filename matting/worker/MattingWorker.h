#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/thread/ManualResetEvent.h"
#include "matting/client/MattingClient.h"
#include "matting/config/ServiceFields.h"
#include "matting/worker/MattingJob.h"

namespace quillora::matting {

// What every request of the worker is built from. Copied into the worker at
// construction; the worker thread reads nothing the UI thread owns.
struct MattingWorkerSettings {
    MattingIdentity identity;  // see WorkerIdentity()
    // The signing key, asked for each job (the language file's TarnApiKey
    // when unset). Called on the worker thread.
    std::function<std::string()> signingKey;
    // The matting endpoint is read from here for each job, so a configuration
    // fetch that ends later still counts; null uses DefaultMattingUrl().
    std::shared_ptr<const ServiceFields> fields;
    // The per-user data directory that holds the "data" folder; empty uses
    // the user data folder.
    QString dataDirectory;
    bool highQualityJpeg = false;  // the HeightQualityJPG setting
    bool alphaMatting = true;      // the Alpha setting
};

// The background thread that turns photos into cut-outs, one request at a
// time, for the main window.
//
// Threads: the owner's thread (the UI thread) constructs and destroys the
// worker and calls CreateJob, Enqueue, Start, setStopRequested and
// SetRequestSwitches. The worker thread sends the requests, writes the
// cut-out files into the data folder and posts WM_MATTING_DONE to the window
// for every job it finishes, in submission order; the receiver owns the job.
// Jobs queued while a batch runs wait for the next pass, which the next
// Start begins.
class MattingWorker {
public:
    MattingWorker(QObject* window, MattingWorkerSettings settings);
    // Ends the thread (a request in flight is allowed to finish, nothing is
    // posted for it), deletes the jobs still queued and empties the data folder.
    ~MattingWorker();
    MattingWorker(const MattingWorker&) = delete;
    MattingWorker& operator=(const MattingWorker&) = delete;

    // A new job for the photo; null when owner is null or the file does not
    // exist.
    std::unique_ptr<MattingJob> CreateJob(std::uint8_t kind, const void* owner,
                                          const QString& sourcePath) const;
    // Appends the jobs to the queue in order. Does not wake the thread.
    void Enqueue(std::vector<std::unique_ptr<MattingJob>> jobs);
    // Creates the data folder, clears the stop flag and wakes the thread.
    void Start();

    // Cancels the jobs of the current batch that have not started and
    // suppresses the message of the one in flight, until the next Start.
    void setStopRequested(bool stop) { stopRequested_.store(stop); }
    bool stopRequested() const { return stopRequested_.load(); }
    bool quitRequested() const { return quitRequested_.load(); }
    // True from Start until the pass it began has ended (every job of it
    // posted or deleted) and no later Start is waiting.
    bool busy() const;

    // The settings dialog's switches; the next job that starts uses them.
    void SetRequestSwitches(bool highQualityJpeg, bool alphaMatting);
    // The signed-in user's id as the requests carry it in `username`, empty
    // when nobody is signed in; the next job that starts uses it.
    void SetUserName(const std::string& userId);

    const QString& dataFolder() const { return dataFolder_; }

private:
    void Run();
    bool Cancelled() const { return stopRequested_.load() || quitRequested_.load(); }
    std::vector<std::unique_ptr<MattingJob>> TakeBatch();
    bool Process(MattingJob& job);

    QObject* window_;  // outlives the worker, which it owns
    MattingWorkerSettings settings_;
    QString dataFolder_;
    std::atomic<bool> highQualityJpeg_;
    std::atomic<bool> alphaMatting_;
    mutable std::mutex userNameMutex_;
    std::string userName_;  // guarded by userNameMutex_
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> quitRequested_{false};
    std::shared_ptr<EventLock> eventLock_ = std::make_shared<EventLock>();
    ManualResetEvent workEvent_{eventLock_};
    ManualResetEvent quitEvent_{eventLock_};
    mutable std::mutex busyMutex_;
    bool busy_ = false;  // guarded by busyMutex_
    std::mutex queueMutex_;
    std::vector<std::unique_ptr<MattingJob>> queue_;  // guarded by queueMutex_
    std::thread thread_;
};

}  // namespace quillora::matting
