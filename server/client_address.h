#pragma once
#include <string>

struct sockaddr;

// A peer's address as text: 127.0.0.1, ::1.
std::string addressText(const sockaddr* address);
bool isLoopback(const std::string& address);
// Whether an IPv4 address lies in a network written as 10.0.0.0/8; an
// address without a prefix length names itself alone.
bool inNetwork(const std::string& address, const std::string& network);
