#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The replay of the game just ended goes to the score server beside its
// upload, so that the server can play it again. Only that game's replay is
// ever sent; how it fares shows nowhere and changes nothing kept.

// What the next upload's replay is; empty when the game has none.
void keepReplayToSend(std::vector<uint8_t> bytes);
// After the upload was answered dataok: POST /replay.php?mode=N on a new
// connection, waiting for "replayok" no longer than the upload waits.
// True when the server took it.
bool sendReplay(const char* host, int port, int mode);
std::string replayRequestHeader(int mode, size_t length, const char* domain);
