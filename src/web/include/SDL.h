#pragma once
// Emscripten's SDL, with the keys named by SDL 1.2's numbers: the game's key
// table, its options and its replays all count keys that way. The browser's
// events are translated to these numbers in web/browser_keys.
#include_next <SDL.h>

#undef SDLK_LAST
#define SDLK_BACKSPACE 8
#define SDLK_RETURN 13
#define SDLK_ESCAPE 27
#define SDLK_SPACE 32
#define SDLK_DELETE 127
#define SDLK_KP_ENTER 271
#define SDLK_UP 273
#define SDLK_DOWN 274
#define SDLK_RIGHT 275
#define SDLK_LEFT 276
#define SDLK_F11 292
#define SDLK_LAST 323
