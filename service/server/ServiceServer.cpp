#include "service/server/ServiceServer.h"

#include <httplib.h>

#include <chrono>
#include <csignal>
#include <cstdio>

#include "service/account/AccountRoutes.h"
#include "service/segment/ClassicalSegmenter.h"
#include "service/segment/LearnedSegmenter.h"
#include "service/server/ServiceContext.h"

namespace quillora::service {
namespace {

constexpr auto kWriteTimeout = std::chrono::seconds(60);
constexpr auto kStartPoll = std::chrono::milliseconds(2);
constexpr int kStartPolls = 5000;

}  // namespace

ServiceServer::ServiceServer(std::filesystem::path dataFolder)
    : dataFolder_(std::move(dataFolder)) {}

ServiceServer::~ServiceServer() {
    Stop();
}

bool ServiceServer::Prepare(std::string* problem) {
    if (context_) {
        return true;
    }
    DataFolder folder(dataFolder_);
    if (!folder.Prepare(problem)) {
        return false;
    }
    // The number of computing places is fixed from the settings at start.
    const ServiceConfig config = LoadServiceConfig(folder.ConfigFile());
    context_ = std::make_unique<ServiceContext>(std::move(folder),
                                                static_cast<int>(config.mattingWorkers));
    std::string keyProblem;
    context_->signer = DownloadSigner::OpenOrCreate(context_->folder.PrivateKeyFile(),
                                                    context_->folder.PublicKeyFile(), &keyProblem);
    if (!context_->signer) {
        if (problem) {
            *problem = keyProblem;
        }
        context_.reset();
        return false;
    }
    // The learned segmenter, when its model loads, goes first; the classical
    // one stays as the answer when it cannot decide.
    if (!model_.empty()) {
        std::string modelProblem;
        auto learned = modelSide_ > 0 ? LearnedSegmenter::Load(model_, &modelProblem, modelSide_)
                                      : LearnedSegmenter::Load(model_, &modelProblem);
        if (learned) {
            context_->segmenter.Add(std::move(learned));
        } else if (problem) {
            *problem = modelProblem + "; the classical segmenter answers alone";
        }
    }
    context_->segmenter.Add(std::make_unique<ClassicalSegmenter>());
    std::fprintf(stderr, "quillora-service: segmenters: %s\n", SegmenterNames().c_str());
    return true;
}

void ServiceServer::SetModel(std::filesystem::path model, int side) {
    model_ = std::move(model);
    modelSide_ = side;
}

std::string ServiceServer::SegmenterNames() const {
    return context_ ? context_->segmenter.Names() : std::string();
}

int ServiceServer::Start(int port) {
    if (http_ || !context_) {
        return -1;
    }
    std::signal(SIGPIPE, SIG_IGN);
    const ServiceConfig config = context_->config.Current();
    http_ = std::make_unique<httplib::Server>();
    const auto threads = static_cast<std::size_t>(config.connectionThreads);
    http_->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    http_->set_payload_max_length(static_cast<std::size_t>(config.maxBodyBytes));
    http_->set_read_timeout(static_cast<time_t>(config.readTimeoutSeconds));
    http_->set_keep_alive_timeout(static_cast<time_t>(config.readTimeoutSeconds));
    http_->set_write_timeout(kWriteTimeout);
    http_->set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
            response.status = 500;
            response.set_content("internal error", "text/plain");
        });
    RegisterTimeAndConfigRoutes(*http_, *context_);
    RegisterMattingRoutes(*http_, *context_);
    RegisterReportRoutes(*http_, *context_);
    RegisterDownloadRoutes(*http_, *context_);
    // Without its folder the account service is missing, the rest still runs.
    std::string accountProblem;
    if (!RegisterAccountRoutes(*http_, context_->folder.Root(), &accountProblem)) {
        std::fprintf(stderr, "quillora-service: no sign-in: %s\n", accountProblem.c_str());
    }
    RegisterFeedbackRoutes(*http_, context_->folder.Root());

    const int bound = port == 0 ? http_->bind_to_any_port("127.0.0.1")
                                : (http_->bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0) {
        http_.reset();
        return -1;
    }
    context_->port = bound;
    listener_ = std::thread([this] { http_->listen_after_bind(); });
    for (int i = 0; i < kStartPolls && !http_->is_running(); ++i) {
        std::this_thread::sleep_for(kStartPoll);
    }
    return bound;
}

void ServiceServer::Stop() {
    if (http_) {
        http_->stop();
    }
    if (listener_.joinable()) {
        listener_.join();
    }
    http_.reset();
}

int ServiceServer::Port() const {
    return context_ ? context_->port : 0;
}

}  // namespace quillora::service
