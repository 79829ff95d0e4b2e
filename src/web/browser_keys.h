#pragma once
#include <cstdint>

// Emscripten's SDL names keys by SDL 1.3's numbers (a scan code plus 1024
// for keys without a character); the game counts them as SDL 1.2 does.
// Unknown keys become 0, which no screen reacts to.
int sdl12KeyOf(int32_t browserKey);
