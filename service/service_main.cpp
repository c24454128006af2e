// quillora-service: the local reference service for Quillora.
//
//   quillora-service [--port N] [--data DIR] [--model FILE] [--model-side N]
//
// Serves on 127.0.0.1 only. Port 0 picks a free port. The learned
// segmentation model is FILE (default: the file tools/model/fetch-model.sh
// makes in the cache folder; "" for none), run at N x N pixels (default
// 1024); without it the classical segmenter answers alone. Prints
// "listening on http://127.0.0.1:N" once it accepts connections and stops
// cleanly on SIGTERM or SIGINT.

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "service/server/ServiceServer.h"

namespace {

constexpr int kDefaultPort = 17650;

struct Arguments {
    int port = kDefaultPort;
    std::filesystem::path data;
    std::filesystem::path model;
    int modelSide = 0;
    bool valid = true;
};

std::filesystem::path DefaultDataFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        return std::filesystem::path(xdg) / "Quillora" / "service";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : ".") / ".local" / "share" / "Quillora" / "service";
}

std::filesystem::path DefaultModel() {
    std::filesystem::path cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg) {
        cache = xdg;
    } else {
        const char* home = std::getenv("HOME");
        cache = std::filesystem::path(home ? home : ".") / ".cache";
    }
    return cache / "quillora" / "models" / "isnet-general.onnx";
}

Arguments Parse(int argc, char** argv) {
    Arguments arguments;
    arguments.data = DefaultDataFolder();
    arguments.model = DefaultModel();
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            arguments.valid = false;
            break;
        }
        const std::string value = argv[++i];
        if (name == "--port") {
            char* end = nullptr;
            const long port = std::strtol(value.c_str(), &end, 10);
            arguments.valid = arguments.valid && *end == '\0' && port >= 0 && port <= 65535;
            arguments.port = static_cast<int>(port);
        } else if (name == "--data") {
            arguments.data = value;
        } else if (name == "--model") {
            arguments.model = value;
        } else if (name == "--model-side") {
            char* end = nullptr;
            const long side = std::strtol(value.c_str(), &end, 10);
            arguments.valid = arguments.valid && *end == '\0' && side >= 32 && side <= 4096;
            arguments.modelSide = static_cast<int>(side);
        } else {
            arguments.valid = false;
        }
    }
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    const Arguments arguments = Parse(argc, argv);
    if (!arguments.valid) {
        std::fprintf(stderr,
                     "usage: quillora-service [--port N] [--data DIR] [--model FILE] "
                     "[--model-side N]\n");
        return 2;
    }
    // The stop signals are taken by one waiting thread instead of a handler,
    // so stopping runs as ordinary code; every thread started later inherits
    // the blocked set.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    quillora::service::ServiceServer server(arguments.data);
    server.SetModel(arguments.model, arguments.modelSide);
    std::string problem;
    if (!server.Prepare(&problem)) {
        std::fprintf(stderr, "quillora-service: %s\n", problem.c_str());
        return 1;
    }
    if (!problem.empty()) {
        std::fprintf(stderr, "quillora-service: %s\n", problem.c_str());
    }
    const int port = server.Start(arguments.port);
    if (port < 0) {
        std::fprintf(stderr, "quillora-service: cannot listen on 127.0.0.1:%d\n", arguments.port);
        return 1;
    }
    std::printf("listening on http://127.0.0.1:%d\n", port);
    std::fflush(stdout);

    int received = 0;
    sigwait(&stopSignals, &received);
    std::fprintf(stderr, "quillora-service: stopping\n");
    server.Stop();
    return 0;
}
