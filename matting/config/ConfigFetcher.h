#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "matting/config/ServiceConfig.h"
#include "matting/config/ServiceFields.h"

namespace quillora::matting {

// Runs the service-configuration fetch on a thread of its own so the window
// opens at once; until it ends the defaults apply. One fetch runs at a time;
// once it has ended a later StartConfigFetch runs again.
//
// Threads: StartConfigFetch, Wait and the destructor are called from one
// thread (start-up, the UI thread). The fetch thread builds its request with
// makeRequest (it reads the language file there) and writes the fields, which
// are safe to read meanwhile. The fetch thread keeps the fields alive through
// its shared pointer: when the fetcher is destroyed while a fetch still waits
// on the network, the thread is left to finish on its own instead of holding
// up the program's exit; makeRequest must therefore own whatever it uses.
class ConfigFetcher {
public:
    explicit ConfigFetcher(std::shared_ptr<ServiceFields> fields,
                           std::function<ConfigRequest()> makeRequest = DefaultConfigRequest);
    ~ConfigFetcher();
    ConfigFetcher(const ConfigFetcher&) = delete;
    ConfigFetcher& operator=(const ConfigFetcher&) = delete;

    // False when a fetch is already running.
    bool StartConfigFetch();
    bool Running() const;
    // Blocks until the running fetch (if any) has ended.
    void Wait();

    const std::shared_ptr<ServiceFields>& fields() const { return fields_; }

private:
    struct State {
        std::mutex mutex;
        bool running = false;
    };

    std::shared_ptr<ServiceFields> fields_;
    std::function<ConfigRequest()> makeRequest_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
    std::thread thread_;
};

}  // namespace quillora::matting
