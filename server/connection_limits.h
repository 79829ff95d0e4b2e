#pragma once
#include <httplib.h>

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

// One accepted connection read and written through a deadline for the whole
// exchange, so a client that trickles its bytes cannot hold a thread longer.
class BoundedStream : public httplib::Stream {
public:
    using Clock = std::chrono::steady_clock;
    BoundedStream(socket_t sock, Clock::time_point deadline, std::string remoteIp, int remotePort);
    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return sock_; }

private:
    socket_t sock_;
    Clock::time_point deadline_;
    std::string remoteIp_;
    int remotePort_;
    char buffer_[4096];
    size_t begin_ = 0, end_ = 0;
};

// Waits until the socket has bytes to read or the deadline passes.
bool readableBy(socket_t sock, BoundedStream::Clock::time_point deadline);
// The peer's address as text; false when the socket has none.
bool peerOf(socket_t sock, std::string& ip, int& port);

// Counts the connections each client address has being served, so one
// address cannot take every thread.
class AddressSlots {
public:
    explicit AddressSlots(int perAddress) : perAddress_(perAddress) {}
    bool take(const std::string& ip);
    void give(const std::string& ip);

private:
    int perAddress_;
    std::mutex mutex_;
    std::unordered_map<std::string, int> busy_;
};
