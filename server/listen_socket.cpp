#include "listen_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace {
constexpr int kBacklog = 4096;
constexpr int kSilentSeconds = 1;
}  // namespace

int openListenSocket(const std::string& address, int port, int& boundPort) {
    sockaddr_storage storage{};
    socklen_t length = 0;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    if (inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET, v4->sin_port = htons(uint16_t(port)), length = sizeof *v4;
    } else if (inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6, v6->sin6_port = htons(uint16_t(port)), length = sizeof *v6;
    } else {
        return -1;
    }
    int sock = socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sock < 0) return -1;
    int yes = 1, silent = kSilentSeconds;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    setsockopt(sock, IPPROTO_TCP, TCP_DEFER_ACCEPT, &silent, sizeof silent);
    if (::bind(sock, reinterpret_cast<sockaddr*>(&storage), length) != 0 || listen(sock, kBacklog) != 0 ||
        getsockname(sock, reinterpret_cast<sockaddr*>(&storage), &length) != 0) {
        close(sock);
        return -1;
    }
    boundPort = ntohs(storage.ss_family == AF_INET ? v4->sin_port : v6->sin6_port);
    return sock;
}
