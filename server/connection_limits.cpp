#include "connection_limits.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace {

bool waitFor(socket_t sock, short events, BoundedStream::Clock::time_point deadline) {
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - BoundedStream::Clock::now());
        pollfd p{sock, events, 0};
        int ready = poll(&p, 1, static_cast<int>(std::max<int64_t>(0, left.count())));
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

bool textOf(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET) {
        auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    } else {
        return false;
    }
    ip = text;
    return true;
}

}  // namespace

BoundedStream::BoundedStream(socket_t sock, Clock::time_point deadline, std::string remoteIp, int remotePort)
    : sock_(sock), deadline_(deadline), remoteIp_(std::move(remoteIp)), remotePort_(remotePort) {}

bool BoundedStream::is_readable() const { return begin_ < end_ || waitFor(sock_, POLLIN, deadline_); }

bool BoundedStream::is_writable() const { return waitFor(sock_, POLLOUT, deadline_); }

// Buffered: the request parser asks for its header a byte at a time.
ssize_t BoundedStream::read(char* ptr, size_t size) {
    if (begin_ == end_) {
        if (!waitFor(sock_, POLLIN, deadline_)) return -1;
        ssize_t got = recv(sock_, buffer_, sizeof buffer_, 0);
        if (got <= 0) return got;
        begin_ = 0;
        end_ = static_cast<size_t>(got);
    }
    size_t n = std::min(size, end_ - begin_);
    std::copy(buffer_ + begin_, buffer_ + begin_ + n, ptr);
    begin_ += n;
    return static_cast<ssize_t>(n);
}

ssize_t BoundedStream::write(const char* ptr, size_t size) {
    if (!waitFor(sock_, POLLOUT, deadline_)) return -1;
    return send(sock_, ptr, size, MSG_NOSIGNAL);
}

void BoundedStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    ip = remoteIp_;
    port = remotePort_;
}

void BoundedStream::get_local_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(sock_, reinterpret_cast<sockaddr*>(&address), &length) == 0) textOf(address, ip, port);
}

bool readableBy(socket_t sock, BoundedStream::Clock::time_point deadline) { return waitFor(sock, POLLIN, deadline); }

bool peerOf(socket_t sock, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    return getpeername(sock, reinterpret_cast<sockaddr*>(&address), &length) == 0 && textOf(address, ip, port);
}

bool AddressSlots::take(const std::string& ip) {
    std::lock_guard<std::mutex> lock(mutex_);
    int& busy = busy_[ip];
    if (busy >= perAddress_) return false;
    ++busy;
    return true;
}

void AddressSlots::give(const std::string& ip) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = busy_.find(ip);
    if (found != busy_.end() && --found->second <= 0) busy_.erase(found);
}
