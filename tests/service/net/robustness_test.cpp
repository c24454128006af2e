// Clients that stall, and the service as its own program: it announces its
// port and stops cleanly on SIGTERM.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "LoopbackService.h"

namespace quillora::service {
namespace {

using testing::Curl;
using testing::LoopbackService;
using testing::TempFolder;

// A connected socket whose reads give up after `seconds`.
int Connect(int port, int seconds) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{seconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads until the peer closes (true) or the read time-out passes (false).
bool ReadsUntilClosed(int fd) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n == 0) {
            return true;
        }
        if (n < 0) {
            return false;
        }
    }
}

TEST(SlowClients, StalledRequestsAreDroppedWhileOthersAreServed) {
    LoopbackService service;
    ServiceConfig config;
    config.readTimeoutSeconds = 1;
    service.Configure(config);
    ASSERT_TRUE(service.Start());

    // Half a request line, and a body that never comes.
    const int stalledHeader = Connect(service.Port(), 30);
    const int stalledBody = Connect(service.Port(), 30);
    ASSERT_GE(stalledHeader, 0);
    ASSERT_GE(stalledBody, 0);
    const std::string header = "GET /api HTTP/1.1\r\nHost: 127.0";
    const std::string body =
        "POST /quillora/cutout.py HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: "
        "100000\r\n\r\nadid=1";
    ::send(stalledHeader, header.data(), header.size(), MSG_NOSIGNAL);
    ::send(stalledBody, body.data(), body.size(), MSG_NOSIGNAL);

    EXPECT_EQ(Curl::Get(service.Base() + "/api").status, 200);
    EXPECT_TRUE(ReadsUntilClosed(stalledHeader));
    EXPECT_TRUE(ReadsUntilClosed(stalledBody));
    ::close(stalledHeader);
    ::close(stalledBody);
    EXPECT_EQ(Curl::Get(service.Base() + "/api").status, 200);
}

TEST(SlowClients, MoreStalledConnectionsThanThreadsDoNotLockTheServiceOut) {
    LoopbackService service;
    ServiceConfig config;
    config.readTimeoutSeconds = 1;
    config.connectionThreads = 8;
    service.Configure(config);
    ASSERT_TRUE(service.Start());
    std::vector<int> stalled;
    for (int i = 0; i < 12; ++i) {
        stalled.push_back(Connect(service.Port(), 30));
        ::send(stalled.back(), "GET /", 5, MSG_NOSIGNAL);
    }
    // Served once the stalled ones have timed out.
    EXPECT_EQ(Curl::Get(service.Base() + "/api").status, 200);
    for (const int fd : stalled) {
        ::close(fd);
    }
}

#ifdef QUILLORA_SERVICE_PROGRAM
TEST(ServiceProgram, AnnouncesItsPortServesAndStopsOnSigterm) {
    TempFolder data;
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        ::close(output[0]);
        ::close(output[1]);
        ::execl(QUILLORA_SERVICE_PROGRAM, QUILLORA_SERVICE_PROGRAM, "--port", "0", "--data",
                data.path().c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(output[1]);
    FILE* stream = ::fdopen(output[0], "r");
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);
    const std::string announced = line;
    const std::string prefix = "listening on http://127.0.0.1:";
    ASSERT_EQ(announced.rfind(prefix, 0), 0u) << announced;
    const int port = std::stoi(announced.substr(prefix.size()));
    EXPECT_GT(port, 0);

    EXPECT_EQ(Curl::Get("http://127.0.0.1:" + std::to_string(port) + "/api").status, 200);
    EXPECT_TRUE(std::filesystem::exists(data.path() / "service.json"));
    EXPECT_TRUE(std::filesystem::exists(data.path() / "signing-public.pem"));

    ASSERT_EQ(::kill(child, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::fclose(stream);
    // Nothing listens there any more.
    EXPECT_NE(Curl::Get("http://127.0.0.1:" + std::to_string(port) + "/api").result, CURLE_OK);
}

TEST(ServiceProgram, RefusesUnknownArguments) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::execl(QUILLORA_SERVICE_PROGRAM, QUILLORA_SERVICE_PROGRAM, "--port", "seven",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 2);
}
#endif

}  // namespace
}  // namespace quillora::service
