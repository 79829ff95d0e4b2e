#include "client_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>

std::string addressText(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address && address->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
    else if (address && address->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text, sizeof text);
    return text;
}

bool isLoopback(const std::string& address) {
    return address.compare(0, 4, "127.") == 0 || address == "::1" || address.compare(0, 11, "::ffff:127.") == 0;
}

bool inNetwork(const std::string& address, const std::string& network) {
    if (network.empty()) return false;
    std::size_t slash = network.find('/');
    std::string base = network.substr(0, slash);
    int bits = slash == std::string::npos ? 32 : std::atoi(network.c_str() + slash + 1);
    in_addr a{}, n{};
    if (bits < 0 || bits > 32 || inet_pton(AF_INET, address.c_str(), &a) != 1 || inet_pton(AF_INET, base.c_str(), &n) != 1)
        return address == network;
    uint32_t mask = bits == 0 ? 0 : ~uint32_t(0) << (32 - bits);
    return (ntohl(a.s_addr) & mask) == (ntohl(n.s_addr) & mask);
}
