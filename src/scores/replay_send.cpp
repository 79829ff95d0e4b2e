#include "scores/replay_send.h"

#include <SDL_net.h>

#include <cstdio>

#include "rules/seams.h"
#include "scores/response_scanner.h"
#include "scores/score_submit.h"

namespace {
std::vector<uint8_t> replayToSend;
constexpr uint32_t kPollMs = 20;
constexpr int kMaxPolls = kResponseWaitLimitMs / kPollMs;  // caps the wait even when the clock stalls

bool awaitWord(TCPsocket socket, const char* word) {
    SDLNet_SocketSet set = SDLNet_AllocSocketSet(1);
    if (!set) return false;
    SDLNet_TCP_AddSocket(set, socket);
    char buffer[2048];
    ResponseScanner response(word);
    uint32_t start = getTicks();
    for (int poll = 0; poll < kMaxPolls && !response.found() && getTicks() - start < kResponseWaitLimitMs; ++poll) {
        if (SDLNet_CheckSockets(set, kPollMs) <= 0 || !SDLNet_SocketReady(socket)) continue;
        int got = SDLNet_TCP_Recv(socket, buffer, sizeof buffer);
        if (got <= 0) break;  // closed without the word
        response.append(buffer, static_cast<size_t>(got));
    }
    SDLNet_FreeSocketSet(set);
    return response.found();
}
}  // namespace

void keepReplayToSend(std::vector<uint8_t> bytes) { replayToSend = std::move(bytes); }

std::string replayRequestHeader(int mode, size_t length, const char* domain) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "POST /replay.php?mode=%d HTTP/1.1\r\nHost: %s\r\nUser-Agent: Quadrune/0.145a Velmo/2006\r\n"
                  "Content-Type: application/x-quadrune-replay\r\nContent-Length: %zu\r\nConnection: close\r\n\r\n",
                  mode, domain, length);
    return text;
}

bool sendReplay(const char* host, int port, int mode) {
    if (replayToSend.empty()) return false;
    IPaddress address;
    if (SDLNet_ResolveHost(&address, host, static_cast<Uint16>(port)) == -1) return false;
    TCPsocket socket = SDLNet_TCP_Open(&address);
    if (!socket) return false;
    std::string request = replayRequestHeader(mode, replayToSend.size(), seams.upload.domain());
    request.append(replayToSend.begin(), replayToSend.end());
    bool sent = SDLNet_TCP_Send(socket, request.data(), static_cast<int>(request.size())) == static_cast<int>(request.size());
    bool taken = sent && awaitWord(socket, "replayok");
    SDLNet_TCP_Close(socket);
    return taken;
}
