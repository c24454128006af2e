#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillora::test {

// A TCP server on 127.0.0.1 (free port) that answers every connection with
// fixed bytes, written without any HTTP library, for answers no well-behaved
// server sends: no headers, no body, a connection closed at once. It reads
// the request (its body too, by Content-Length), records it, writes the
// answer and closes.
class RawServer {
public:
    explicit RawServer(std::string answer) : answer_(std::move(answer)) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
            ::listen(fd_, 16) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            return;
        }
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;
    ~RawServer() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    int port() const { return port_; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::vector<std::string> requests() {
        const std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    static bool RequestComplete(const std::string& request) {
        const std::size_t blank = request.find("\r\n\r\n");
        if (blank == std::string::npos) {
            return false;
        }
        std::string head = request.substr(0, blank);
        for (auto& c : head) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        const std::size_t field = head.find("content-length:");
        if (field == std::string::npos) {
            return true;
        }
        const std::size_t length = std::stoul(head.substr(field + 15));
        return request.size() >= blank + 4 + length;
    }

    void Serve() {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) {
                continue;
            }
            const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) {
                continue;
            }
            std::string request;
            char buffer[1024];
            while (!RequestComplete(request)) {
                pollfd c{client, POLLIN, 0};
                if (::poll(&c, 1, 2000) <= 0) {
                    break;
                }
                const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    break;
                }
                request.append(buffer, static_cast<std::size_t>(n));
            }
            {
                const std::lock_guard lock(mutex_);
                requests_.push_back(request);
            }
            std::size_t sent = 0;
            while (sent < answer_.size()) {
                const ssize_t n =
                    ::send(client, answer_.data() + sent, answer_.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) {
                    break;
                }
                sent += static_cast<std::size_t>(n);
            }
            ::shutdown(client, SHUT_RDWR);
            ::close(client);
        }
    }

    std::string answer_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> requests_;
};

}  // namespace quillora::test
