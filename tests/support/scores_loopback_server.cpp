#include "scores_loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace {
using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool waitReadable(int fd, Clock::time_point deadline) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, msLeft(deadline)) > 0;
}

int boundLoopbackSocket(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot bind a loopback socket");
    return fd;
}

int portOf(int fd) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    return ntohs(address.sin_port);
}

// Whole request read: header, then as many body bytes as it announces.
bool requestComplete(const std::string& bytes) {
    size_t end = bytes.find("\r\n\r\n");
    if (end == std::string::npos) return false;
    size_t field = bytes.find("Content-Length: ");
    size_t length = field < end ? std::strtoul(bytes.c_str() + field + 16, nullptr, 10) : 0;
    return bytes.size() >= end + 4 + length;
}

std::string readRequest(int fd, Clock::time_point deadline) {
    std::string bytes;
    char buffer[4096];
    while (!requestComplete(bytes) && bytes.size() < 65536 && waitReadable(fd, deadline)) {
        ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return bytes;
}

void pause(int ms, Clock::time_point deadline) {
    auto until = std::min(Clock::now() + std::chrono::milliseconds(ms), deadline);
    while (Clock::now() < until) usleep(1000);
}

// Holds the connection until the client closes it or the time is up.
void hold(int fd, int ms, Clock::time_point deadline) {
    auto until = std::min(Clock::now() + std::chrono::milliseconds(ms), deadline);
    char buffer[256];
    while (waitReadable(fd, until)) {
        if (recv(fd, buffer, sizeof buffer, 0) <= 0) break;
    }
}
}  // namespace

ScoresLoopbackServer::ScoresLoopbackServer(std::vector<ScoresServerReply> replies, int limitMs, int port)
    : replies_(std::move(replies)), limitMs_(limitMs) {
    listenFd_ = boundLoopbackSocket(port);
    listen(listenFd_, 4);
    port_ = portOf(listenFd_);
    thread_ = std::thread([this] { serve(); });
}

ScoresLoopbackServer::~ScoresLoopbackServer() {
    if (thread_.joinable()) thread_.join();
    close(listenFd_);
}

const std::vector<std::string>& ScoresLoopbackServer::requests() {
    if (thread_.joinable()) thread_.join();
    return requests_;
}

void ScoresLoopbackServer::serve() {
    auto deadline = Clock::now() + std::chrono::milliseconds(limitMs_);
    for (const ScoresServerReply& reply : replies_) {
        if (!waitReadable(listenFd_, deadline)) return;
        int fd = accept(listenFd_, nullptr, nullptr);
        if (fd < 0) return;
        if (!reply.readRequest) {
            close(fd);
            continue;
        }
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        requests_.push_back(readRequest(fd, deadline));
        pause(reply.firstDelayMs, deadline);
        for (size_t i = 0; i < reply.packets.size(); ++i) {
            if (i > 0) pause(reply.gapMs, deadline);
            send(fd, reply.packets[i].data(), reply.packets[i].size(), MSG_NOSIGNAL);
        }
        hold(fd, reply.holdMs, deadline);
        close(fd);
    }
}

int scoresClosedPort() {
    int fd = boundLoopbackSocket(0);
    int port = portOf(fd);
    close(fd);
    return port;
}
