#include "matting/config/ConfigFetcher.h"

namespace quillora::matting {

ConfigFetcher::ConfigFetcher(std::shared_ptr<ServiceFields> fields,
                             std::function<ConfigRequest()> makeRequest)
    : fields_(std::move(fields)), makeRequest_(std::move(makeRequest)) {}

ConfigFetcher::~ConfigFetcher() {
    if (!thread_.joinable()) {
        return;
    }
    if (Running()) {
        thread_.detach();
    } else {
        thread_.join();
    }
}

bool ConfigFetcher::Running() const {
    const std::lock_guard lock(state_->mutex);
    return state_->running;
}

bool ConfigFetcher::StartConfigFetch() {
    {
        const std::lock_guard lock(state_->mutex);
        if (state_->running) {
            return false;
        }
        state_->running = true;
    }
    if (thread_.joinable()) {
        thread_.join();  // the previous fetch has ended
    }
    thread_ = std::thread([state = state_, fields = fields_, makeRequest = makeRequest_] {
        try {
            if (fields && makeRequest) {
                FetchServiceConfig(makeRequest(), *fields);
            }
        } catch (...) {
            // A failed fetch leaves the defaults, as any other failure does.
        }
        const std::lock_guard lock(state->mutex);
        state->running = false;
    });
    return true;
}

void ConfigFetcher::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace quillora::matting
