#include "scores/score_submit.h"

#include <GL/gl.h>
#include <SDL_net.h>

#include <cstdio>
#include <cstring>

#include "rules/config_file.h"
#include "rules/game_state.h"
#include "rules/pad_buttons.h"
#include "rules/seams.h"
#include "rules/game_result.h"
#include "render/text_render.h"
#include "scores/replay_send.h"
#include "scores/response_scanner.h"

namespace {
constexpr int kBodyLength = 5 + static_cast<int>(sizeof(HighscoreEntry)) + 4;
constexpr int kReceiveBufferSize = 2048;
constexpr uint32_t kAnswerSettleMs = 200;
constexpr uint32_t kWaitPassMs = 50;
constexpr uint32_t kPollMs = 20;
// Each pass sleeps kWaitPassMs, so this caps the passes even when the clock stalls.
constexpr int kMaxWaitPasses = kResponseWaitLimitMs / kWaitPassMs;
constexpr int kYKey = SDLK_y;

enum class AttemptEnd { Failed, Done };

void clearToBlack() {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void showProgress(const char* text, int x, int y) {
    seams.upload.drawText(text, x, y);
    swapBuffers();
}

void sendAll(TCPsocket socket, const void* data, int size, uint32_t pauseMs) {
    // A dropped connection shows up later as a missing acknowledgement.
    SDLNet_TCP_Send(socket, const_cast<void*>(data), size);
    delayMs(pauseMs);
}

// Sets the key table from one pass of events; true when the wait should end.
bool waitEventsEndWait() {
    bool end = false;
    InputEvent event;
    while (readEvent(event)) {
        if (event.kind == InputEvent::KeyDown) {
            setKeyDown(event.symbol, 1);
            if (event.symbol != kEscapeKey) end = true;
        } else if (event.kind == InputEvent::KeyUp) {
            setKeyDown(event.symbol, 0);
        } else if (event.kind == InputEvent::Quit) {
            setKeyDown(kEscapeKey, 1);
            end = true;
        }
    }
    return end;
}

// Polls before each receive so a silent server only costs the time limit.
bool awaitAcknowledgement(TCPsocket socket) {
    SDLNet_SocketSet set = SDLNet_AllocSocketSet(1);
    if (!set) return false;
    SDLNet_TCP_AddSocket(set, socket);
    static char buffer[kReceiveBufferSize];
    ResponseScanner response;
    uint32_t start = getTicks();
    for (int pass = 0; pass < kMaxWaitPasses; ++pass) {
        bool received = false;
        if (SDLNet_CheckSockets(set, kPollMs) > 0 && SDLNet_SocketReady(socket)) {
            int got = SDLNet_TCP_Recv(socket, buffer, sizeof buffer);
            if (got > 0) response.append(buffer, static_cast<size_t>(got));
            received = true;
        }
        uint32_t elapsed = getTicks() - start;
        clearToBlack();
        showProgress("WAITING FOR RESPONSE.", 20, 200);
        delayMs(kWaitPassMs);
        bool interrupted = waitEventsEndWait();
        if (response.found() || interrupted) break;
        if ((received && elapsed >= kAnswerSettleMs) || elapsed >= kResponseWaitLimitMs) break;
    }
    SDLNet_FreeSocketSet(set);
    return response.found();
}

// Shows the outcome until a key goes down; returns that key.
int showResult(bool sent) {
    int key = 0;
    bool done = false;
    while (!done) {
        clearToBlack();
        if (sent) {
            seams.upload.drawText("DATA SENT!", 100, 230);
            seams.upload.drawText("PRESS ANY KEY", 80, 260);
        } else {
            seams.upload.drawText("FAILED!", 100, 230);
            seams.upload.drawText("SEND DATA AGAIN? (Y/N)", 20, 260);
        }
        swapBuffers();
        delayMs(100);
        InputEvent event;
        while (readEvent(event)) {
            if (event.kind == InputEvent::KeyDown) {
                key = event.symbol;
                setKeyDown(key, 1);
                done = true;
            } else if (event.kind == InputEvent::KeyUp) {
                setKeyDown(event.symbol, 0);
            } else if (event.kind == InputEvent::Quit) {
                setKeyDown(kEscapeKey, 1);
                gameState.quitRequested = 1;
            } else if (event.kind == InputEvent::ButtonDown) {
                // As on the prompt before: South says yes, any other button no.
                key = event.symbol == kPadSouth ? kYKey : 0;
                done = true;
            }
        }
    }
    return key;
}

void report(const char* step) {
    std::printf("%s: %s\n", step, SDL_GetError());
    std::fflush(stdout);
}

void sendRequest(TCPsocket socket) {
    std::string header = scoreRequestHeader(gameState.config.gameMode, seams.upload.domain());
    showProgress("SENDING....", 100, 200);
    sendAll(socket, header.data(), static_cast<int>(header.size()), 10);
    showProgress("SENDING.....", 100, 200);
    HighscoreEntry record = scoreRecord();
    sendAll(socket, &record, sizeof record, 10);
    showProgress("SENDING......", 100, 200);
    char length[8];
    std::snprintf(length, sizeof length, "%.4i", static_cast<int>(sizeof record));
    sendAll(socket, length, 4, 20);
    showProgress("SENDING.......", 100, 200);
}

// One connection: -1 when the network cannot be set up, else how it ended.
int runAttempt(const char* host, int port, AttemptEnd& end) {
    clearToBlack();
    showProgress("SENDING", 100, 200);
    if (SDLNet_Init() == -1) {
        report("SDLNet_Init");
        return -1;
    }
    showProgress("SENDING.", 100, 200);
    IPaddress address;
    SDL_ClearError();
    if (SDLNet_ResolveHost(&address, host, static_cast<Uint16>(port)) == -1) {
        // The resolver gives no reason of its own; never show a stale one.
        if (!*SDL_GetError()) SDL_SetError("Couldn't resolve host");
        report("SDLNet_ResolveHost");
        SDLNet_Quit();
        return -1;
    }
    showProgress("SENDING..", 100, 200);
    TCPsocket socket = SDLNet_TCP_Open(&address);
    if (!socket) {
        report("SDLNet_TCP_Open");
        SDLNet_Quit();
        return -1;
    }
    showProgress("SENDING...", 100, 200);
    sendRequest(socket);
    bool sent = awaitAcknowledgement(socket);
    if (sent) sendReplay(host, port, sentMode(gameState.config.gameMode));
    int key = showResult(sent);
    SDLNet_TCP_Close(socket);
    SDLNet_Quit();
    end = (!sent && key == kYKey) ? AttemptEnd::Failed : AttemptEnd::Done;
    return 1;
}
}  // namespace

int sentMode(int mode) { return (mode >= FreePlay && mode <= Hardcore) ? mode : HundredMoves; }

std::string scoreRequestHeader(int mode, const char* domain) {
    char line[64];
    std::snprintf(line, sizeof line, "POST /score.php?mode=%i HTTP/1.1\r\n", sentMode(mode));
    std::string header = line;
    header += "Host: ";
    header += domain;
    header += "\r\n";
    header += "User-Agent: Quadrune/0.145a Velmo/2006\r\n";
    header += "Content-Type: application/octet-stream\r\n";
    header += "Connection: keep-alive\r\n";
    std::snprintf(line, sizeof line, "Content-Length: %i\r\n\r\n", kBodyLength);
    header += line;
    header += "data=";
    return header;
}

HighscoreEntry scoreRecord() { return gameResultRow(gameState); }

const char* builtInScoreDomain() { return QUADRUNE_SCORE_DOMAIN; }

int submitScore(const char* host, int port) {
    for (;;) {
        AttemptEnd end = AttemptEnd::Done;
        if (runAttempt(host, port, end) == -1) return -1;
        if (end == AttemptEnd::Done) return 1;
    }
}
