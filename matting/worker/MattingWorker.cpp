#include "matting/worker/MattingWorker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <filesystem>

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "common/text/TimeStamp.h"
#include "matting/worker/DataFolder.h"
#include "platform/folders/Folders.h"

namespace quillora::matting {

namespace {

// Every cut-out is asked for as PNG, whatever the photo's format.
constexpr const char* kResultFileType = "png";
constexpr auto kPauseBetweenPasses = std::chrono::milliseconds(1);

std::filesystem::path FilePath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

}  // namespace

MattingWorker::MattingWorker(QObject* window, MattingWorkerSettings settings)
    : window_(window),
      settings_(std::move(settings)),
      highQualityJpeg_(settings_.highQualityJpeg),
      alphaMatting_(settings_.alphaMatting),
      userName_(settings_.identity.username) {
    if (!settings_.signingKey) {
        settings_.signingKey = [] { return LangText(langkey::ui::kTarnApiKey).toStdString(); };
    }
    const QString directory =
        settings_.dataDirectory.isEmpty() ? platform::UserDataFolder() : settings_.dataDirectory;
    dataFolder_ = DataFolderPath(directory);
    thread_ = std::thread([this] { Run(); });
    EmptyDataFolder(dataFolder_);
}

MattingWorker::~MattingWorker() {
    quitRequested_.store(true);
    quitEvent_.Set();
    if (thread_.joinable()) {
        thread_.join();
    }
    {
        const std::lock_guard lock(queueMutex_);
        queue_.clear();
    }
    EmptyDataFolder(dataFolder_);
}

std::unique_ptr<MattingJob> MattingWorker::CreateJob(std::uint8_t kind, const void* owner,
                                                     const QString& sourcePath) const {
    if (owner == nullptr || sourcePath.isEmpty() || !QFileInfo::exists(sourcePath)) {
        return nullptr;
    }
    auto job = std::make_unique<MattingJob>();
    job->kind = kind;
    job->owner = owner;
    job->paths.append(sourcePath);
    job->id = NowMicros();
    return job;
}

void MattingWorker::Enqueue(std::vector<std::unique_ptr<MattingJob>> jobs) {
    const std::lock_guard lock(queueMutex_);
    for (auto& job : jobs) {
        if (job != nullptr) {
            queue_.push_back(std::move(job));
        }
    }
}

void MattingWorker::Start() {
    platform::MakeFolderPath(dataFolder_);
    stopRequested_.store(false);
    const std::lock_guard lock(busyMutex_);
    busy_ = true;
    workEvent_.Set();
}

bool MattingWorker::busy() const {
    const std::lock_guard lock(busyMutex_);
    return busy_;
}

void MattingWorker::SetRequestSwitches(bool highQualityJpeg, bool alphaMatting) {
    highQualityJpeg_.store(highQualityJpeg);
    alphaMatting_.store(alphaMatting);
}

void MattingWorker::SetUserName(const std::string& userId) {
    const std::lock_guard lock(userNameMutex_);
    userName_ = userId;
}

void MattingWorker::Run() {
    while (!quitRequested_.load()) {
        if (WaitForAny({&workEvent_, &quitEvent_}) == 1) {
            quitEvent_.Reset();
            return;
        }
        workEvent_.Reset();
        std::vector<std::unique_ptr<MattingJob>> batch = TakeBatch();
        for (std::unique_ptr<MattingJob>& job : batch) {
            if (Cancelled()) {
                break;  // the rest of the batch is freed with it
            }
            const bool ok = Process(*job);
            if (!Cancelled()) {
                ui::PostWindowMessage(window_, WM_MATTING_DONE, 0,
                                      ui::MessagePayload(std::move(job)),
                                      ok ? kMattingSucceeded : kMattingFailed);
            }
            job.reset();
        }
        batch.clear();
        {
            const std::lock_guard lock(busyMutex_);
            busy_ = workEvent_.IsSet();
        }
        std::this_thread::sleep_for(kPauseBetweenPasses);
    }
}

std::vector<std::unique_ptr<MattingJob>> MattingWorker::TakeBatch() {
    std::vector<std::unique_ptr<MattingJob>> batch;
    const std::lock_guard lock(queueMutex_);
    for (auto& job : queue_) {
        if (Cancelled()) {
            break;
        }
        batch.push_back(std::move(job));
    }
    // Jobs left behind by a stop are freed here, with the queue's storage.
    std::vector<std::unique_ptr<MattingJob>>().swap(queue_);
    return batch;
}

bool MattingWorker::Process(MattingJob& job) {
    if (job.paths.isEmpty()) {
        return false;
    }
    const QString resultPath = NextResultPath(dataFolder_);
    const std::string url =
        settings_.fields != nullptr ? settings_.fields->mattingUrl() : DefaultMattingUrl();
    MattingIdentity identity = settings_.identity;
    {
        const std::lock_guard lock(userNameMutex_);
        identity.username = userName_;
    }
    MattingClient client(identity, settings_.signingKey(), url);
    client.setJpegQuality(highQualityJpeg_.load() ? kJpegQualityHigh : kJpegQualityNormal);
    const CutOutOptions options{job.kind == 0 ? 1 : 0, alphaMatting_.load()};
    const bool ok = client.RequestCutOutFile(FilePath(job.paths.first()), kResultFileType, options,
                                             FilePath(resultPath));
    if (ok) {
        job.paths.append(resultPath);
    }
    return ok;
}

}  // namespace quillora::matting
