#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace quillora::service {

struct ServiceContext;

// The local reference service: one HTTP server on 127.0.0.1 answering every
// exchange the program makes. Requests are served by a pool of connection
// threads; cut-outs additionally queue for a few computing places.
class ServiceServer {
public:
    explicit ServiceServer(std::filesystem::path dataFolder);
    ~ServiceServer();
    ServiceServer(const ServiceServer&) = delete;
    ServiceServer& operator=(const ServiceServer&) = delete;

    // The learned segmentation model Prepare loads, and the side of its
    // square input; without one only the classical segmenter is used. When
    // the file is missing or cannot be loaded Prepare still succeeds, with a
    // warning in `problem`, and the classical segmenter answers alone.
    void SetModel(std::filesystem::path model, int side);

    // The segmenters in the order they are asked, e.g. "learned, classical";
    // known after Prepare.
    std::string SegmenterNames() const;

    // Prepares the data folder (settings, update files, signing key). False
    // when the service cannot run; `problem` may also hold a warning on true.
    bool Prepare(std::string* problem);

    // Binds 127.0.0.1:port (0 picks a free port) and serves on a thread of its
    // own. Returns the port, or -1. Connections are accepted from the moment
    // it returns. Writing to a socket the peer has closed must not end the
    // process, so SIGPIPE is ignored from here on.
    int Start(int port);

    // Stops accepting, finishes the requests in progress and joins.
    void Stop();

    int Port() const;

private:
    std::filesystem::path dataFolder_;
    std::filesystem::path model_;
    int modelSide_ = 0;
    std::unique_ptr<ServiceContext> context_;
    std::unique_ptr<httplib::Server> http_;
    std::thread listener_;
};

}  // namespace quillora::service
