#pragma once

#include <httplib.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace quillora::test {

// A cpp-httplib server on 127.0.0.1 with a free port, listening on its own
// thread for the life of the object. Register handlers through server()
// before Start().
class LoopbackServer {
public:
    LoopbackServer() : server_(std::make_unique<httplib::Server>()) {}
    // Takes another kind of server, such as an httplib::SSLServer.
    explicit LoopbackServer(std::unique_ptr<httplib::Server> server) : server_(std::move(server)) {}
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;
    ~LoopbackServer() { Stop(); }

    httplib::Server& server() { return *server_; }

    // Binds, starts listening and waits until the server accepts; false when
    // it could not bind.
    bool Start() {
        port_ = server_->bind_to_any_port("127.0.0.1");
        if (port_ <= 0) {
            return false;
        }
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        for (int i = 0; i < 500 && !server_->is_running(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return server_->is_running();
    }

    void Stop() {
        if (thread_.joinable()) {
            server_->stop();
            thread_.join();
        }
    }

    int port() const { return port_; }
    std::string Base(const char* scheme = "http") const {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_);
    }
    std::string Url(const std::string& path) const { return Base() + path; }

private:
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
};

}  // namespace quillora::test
