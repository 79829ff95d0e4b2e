#include "e2e_score_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace {
using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool waitReadable(int fd, Clock::time_point deadline) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, msLeft(deadline)) == 1;
}

// The whole request is in once the header has ended and the body it
// announces has followed.
bool requestComplete(const std::string& bytes) {
    size_t end = bytes.find("\r\n\r\n");
    if (end == std::string::npos) return false;
    size_t at = bytes.find("Content-Length: ");
    if (at == std::string::npos || at > end) return true;
    size_t length = std::strtoul(bytes.c_str() + at + 16, nullptr, 10);
    return bytes.size() >= end + 4 + length;
}
}  // namespace

E2eScoreServer::E2eScoreServer(int limitMs) : limitMs_(limitMs) {
    listenFd_ = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(80);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listenFd_, 1) != 0) {
        close(listenFd_);
        listenFd_ = -1;
        return;
    }
    thread_ = std::thread([this] { serve(); });
}

E2eScoreServer::~E2eScoreServer() {
    if (thread_.joinable()) thread_.join();
    if (listenFd_ >= 0) close(listenFd_);
}

const std::string& E2eScoreServer::request() {
    if (thread_.joinable()) thread_.join();
    return request_;
}

void E2eScoreServer::serve() {
    auto deadline = Clock::now() + std::chrono::milliseconds(limitMs_);
    if (!waitReadable(listenFd_, deadline)) return;
    int client = accept(listenFd_, nullptr, nullptr);
    if (client < 0) return;
    char buffer[4096];
    while (!requestComplete(request_) && waitReadable(client, deadline)) {
        ssize_t got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request_.append(buffer, static_cast<size_t>(got));
    }
    const std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\ndataok";
    send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
    // Hang up only once the game has read the answer and moved on.
    auto linger = std::min(deadline, Clock::now() + std::chrono::milliseconds(1500));
    while (waitReadable(client, linger) && recv(client, buffer, sizeof buffer, 0) > 0) {
    }
    close(client);
}
