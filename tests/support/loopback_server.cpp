#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <strings.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace {
using Clock = std::chrono::steady_clock;

bool readable(int fd, Clock::time_point until) {
    pollfd p{fd, POLLIN, 0};
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    return poll(&p, 1, left > 0 ? static_cast<int>(left) : 0) > 0;
}

int boundEphemeralSocket() {
    int fd = socket(AF_INET, SOCK_STREAM, 0), on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot bind a loopback socket");
    return fd;
}

int portOf(int fd) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    return getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size), ntohs(address.sin_port);
}

// The header, then as many body bytes as it announces.
bool wholeRequest(const std::string& bytes) {
    size_t end = bytes.find("\r\n\r\n");
    if (end == std::string::npos) return false;
    size_t field = bytes.find("Content-Length: ");
    size_t length = field < end ? std::strtoul(bytes.c_str() + field + 16, nullptr, 10) : 0;
    return bytes.size() >= end + 4 + length;
}

// Reads until the peer closes, `until` passes or, if asked, a whole request is in.
std::string readFrom(int fd, Clock::time_point until, bool stopAtRequest) {
    std::string bytes;
    char buffer[4096];
    while (!(stopAtRequest && wholeRequest(bytes)) && bytes.size() < 65536 && readable(fd, until)) {
        ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return bytes;
}

Clock::time_point after(int ms, Clock::time_point limit) {
    return std::min(Clock::now() + std::chrono::milliseconds(ms), limit);
}
}  // namespace

LoopbackServer::LoopbackServer(std::vector<ServerReply> replies, int limitMs)
    : replies_(std::move(replies)), limitMs_(limitMs) {
    listenFd_ = boundEphemeralSocket();
    listen(listenFd_, 4);
    port_ = portOf(listenFd_);
    thread_ = std::thread([this] { serve(); });
}

LoopbackServer::~LoopbackServer() {
    if (thread_.joinable()) thread_.join();
    close(listenFd_);
}

const std::vector<std::string>& LoopbackServer::requests() {
    if (thread_.joinable()) thread_.join();
    return requests_;
}

void LoopbackServer::serve() {
    auto limit = Clock::now() + std::chrono::milliseconds(limitMs_);
    for (const ServerReply& reply : replies_) {
        if (!readable(listenFd_, limit)) return;
        int fd = accept(listenFd_, nullptr, nullptr);
        if (fd < 0) return;
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (reply.readRequest) {
            requests_.push_back(readFrom(fd, limit, true));
            // Waiting is polling a socket that stays quiet: no fixed sleep.
            readFrom(fd, after(reply.firstDelayMs, limit), false);
            for (size_t i = 0; i < reply.packets.size(); ++i) {
                if (i > 0) readFrom(fd, after(reply.gapMs, limit), false);
                send(fd, reply.packets[i].data(), reply.packets[i].size(), MSG_NOSIGNAL);
            }
            readFrom(fd, after(reply.holdMs, limit), false);
        }
        close(fd);
    }
}

int connectFrom(const char* source, int port) {
    int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in from{AF_INET, 0, {}, {}}, to{AF_INET, htons(uint16_t(port)), {htonl(INADDR_LOOPBACK)}, {}};
    inet_pton(AF_INET, source, &from.sin_addr);
    if (bind(sock, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0 &&
        connect(sock, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0)
        return sock;
    close(sock);
    return -1;
}

Answer exchange(int port, std::initializer_list<std::string> pieces, int waitSeconds) {
    return exchangeFrom("127.0.0.1", port, pieces, waitSeconds);
}

Answer exchangeFrom(const char* source, int port, std::initializer_list<std::string> pieces, int waitSeconds) {
    int sock = connectFrom(source, port);
    timeval timeout{waitSeconds, 0};
    setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string reply;
    if (sock >= 0) {
        for (const std::string& piece : pieces) send(sock, piece.data(), piece.size(), MSG_NOSIGNAL);
        char buffer[4096];
        for (ssize_t got; reply.size() < (1 << 20) && (got = recv(sock, buffer, sizeof buffer, 0)) > 0;)
            reply.append(buffer, size_t(got));
    }
    close(sock);
    Answer answer;
    if (reply.rfind("HTTP/1.1 ", 0) == 0) answer.status = std::atoi(reply.c_str() + 9);
    auto end = reply.find("\r\n\r\n");
    if (end != std::string::npos) answer.body = reply.substr(end + 4), answer.head = reply.substr(0, end);
    return answer;
}

std::string Answer::header(const std::string& name) const {
    for (std::size_t at = head.find("\r\n"); at != std::string::npos; at = head.find("\r\n", at + 2)) {
        std::size_t colon = head.find(':', at + 2), end = std::min(head.find("\r\n", at + 2), head.size());
        if (colon >= end || colon - at - 2 != name.size() ||
            strncasecmp(head.c_str() + at + 2, name.c_str(), name.size()) != 0)
            continue;
        std::size_t value = head.find_first_not_of(' ', colon + 1);
        return value < end ? head.substr(value, end - value) : "";
    }
    return "";
}
