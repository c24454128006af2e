#include <curl/curl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "common/text/Utf.h"
#include "net/transport/Diagnostics.h"
#include "net/transport/Fallbacks.h"
#include "net/transport/TransportOptions.h"

namespace quillora::net {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kDefaultHttpPort = "80";

struct UrlParts {
    std::string host;
    std::string port;          // the URL's own port, or "80"
    std::string pathAndQuery;  // never empty
};

struct UrlFree {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::optional<std::string> UrlPart(CURLU* url, CURLUPart part) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, 0) != CURLUE_OK || text == nullptr) {
        return std::nullopt;
    }
    std::string value(text);
    curl_free(text);
    return value;
}

std::optional<UrlParts> SplitUrl(const std::string& url) {
    std::unique_ptr<CURLU, UrlFree> handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    UrlParts parts;
    auto host = UrlPart(handle.get(), CURLUPART_HOST);
    if (!host || host->empty()) {
        return std::nullopt;
    }
    parts.host = std::move(*host);
    parts.port = UrlPart(handle.get(), CURLUPART_PORT).value_or(kDefaultHttpPort);
    const auto path = UrlPart(handle.get(), CURLUPART_PATH);
    parts.pathAndQuery = path && !path->empty() ? *path : std::string(1, '/');
    if (auto query = UrlPart(handle.get(), CURLUPART_QUERY)) {
        parts.pathAndQuery.append("?").append(*query);
    }
    return parts;
}

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

struct AddrInfoFree {
    void operator()(addrinfo* info) const { freeaddrinfo(info); }
};

void SetSocketTimeouts(int fd, long timeoutMs) {
    timeval tv{};
    tv.tv_sec = timeoutMs / 1000;
    tv.tv_usec = (timeoutMs % 1000) * 1000;
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

bool SendAll(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads until the answer is complete (by its Content-Length or the last
// chunk), the server closes the connection or kSocketReadBytes are in; a
// server that keeps the connection open must not hold the read until its
// time-out.
// The whole read shares one deadline, so a server that trickles one byte at a
// time cannot stretch it. nullopt on an error or when the deadline passes.
std::optional<std::string> ReceiveResponse(int fd, long timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string data(kSocketReadBytes, '\0');
    std::size_t got = 0;
    while (got < kSocketReadBytes) {
        if (timeoutMs > 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd p{fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                return std::nullopt;
            }
        }
        const ssize_t n = ::recv(fd, data.data() + got, kSocketReadBytes - got, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
        if (HttpResponseComplete(std::string_view(data.data(), got))) {
            break;
        }
    }
    data.resize(got);
    return data;
}

std::string SocketGetUnguarded(const std::string& url, long timeoutMs) {
    const auto parts = SplitUrl(url);
    if (!parts) {
        return {};
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (::getaddrinfo(parts->host.c_str(), parts->port.c_str(), &hints, &found) != 0 ||
        found == nullptr) {
        return {};
    }
    const std::unique_ptr<addrinfo, AddrInfoFree> addresses(found);
    const Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
    if (socket.fd() < 0) {
        return {};
    }
    if (timeoutMs > 0) {
        // SO_SNDTIMEO also bounds connect() on Linux.
        SetSocketTimeouts(socket.fd(), timeoutMs);
    }
    if (::connect(socket.fd(), addresses->ai_addr, addresses->ai_addrlen) != 0) {
        return {};
    }
    // Built by appending: GCC 12 warns falsely about chains of operator+.
    std::string request = "GET ";
    request.append(parts->pathAndQuery).append(" HTTP/1.1\r\nHOST:").append(parts->host);
    if (parts->port != kDefaultHttpPort) {
        request.append(":").append(parts->port);
    }
    request.append("\r\nConnection: Close\r\n\r\n");
    if (!SendAll(socket.fd(), request)) {
        return {};
    }
    const auto response = ReceiveResponse(socket.fd(), timeoutMs);
    if (!response || response->empty()) {
        return {};
    }
    return MakeValidUtf8(ExtractBracedBody(*response));
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

bool HttpResponseComplete(std::string_view response) {
    const std::size_t blank = response.find("\r\n\r\n");
    if (blank == std::string_view::npos) {
        return false;
    }
    const std::string_view body = response.substr(blank + 4);
    std::string_view headers = response.substr(0, blank);
    while (!headers.empty()) {
        const std::size_t end = headers.find("\r\n");
        const std::string_view line = headers.substr(0, end);
        headers = end == std::string_view::npos ? std::string_view() : headers.substr(end + 2);
        if (StartsWithNoCase(line, "content-length:")) {
            const std::string_view value = TrimBlanks(line.substr(15));
            std::size_t length = 0;
            const auto [ptr, ec] =
                std::from_chars(value.data(), value.data() + value.size(), length);
            return ec == std::errc() && ptr == value.data() + value.size() && body.size() >= length;
        }
        if (StartsWithNoCase(line, "transfer-encoding:") &&
            TrimBlanks(line.substr(18)) == "chunked") {
            return body.starts_with("0\r\n\r\n") || body.ends_with("\r\n0\r\n\r\n");
        }
    }
    return false;
}

std::string ExtractBracedBody(std::string_view response) {
    const std::size_t blank = response.find("\r\n\r\n");
    if (blank == std::string_view::npos) {
        return {};
    }
    const std::string_view body = response.substr(blank + 4);
    const std::size_t first = body.find('{');
    const std::size_t last = body.rfind('}');
    if (first == std::string_view::npos || last == std::string_view::npos || last < first) {
        return {};
    }
    return std::string(body.substr(first, last - first + 1));
}

std::string SocketGet(const std::string& url, long timeoutMs) {
    try {
        return SocketGetUnguarded(url, timeoutMs > 0 ? EffectiveTimeoutMs(timeoutMs) : 0);
    } catch (...) {
        WriteLogLine("GetStringFromUrl except.");
        return {};
    }
}

}  // namespace quillora::net
