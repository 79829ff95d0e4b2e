#include "base/platform.h"

#include <SDL.h>

#include <cstring>
#include <ctime>

#include "base/game_random.h"
#include "base/game_state.h"

static_assert(SDLK_LAST == kKeyTableSize && SDLK_ESCAPE == kEscapeKey, "the key table follows SDL 1.2");

namespace {
int sdlPollEvent(SDL_Event* event) { return SDL_PollEvent(event); }
uint8_t sdlGetMouseState(int* x, int* y) { return SDL_GetMouseState(x, y); }
uint32_t sdlGetTicks() { return SDL_GetTicks(); }
void sdlDelay(uint32_t ms) { SDL_Delay(ms); }
void sdlSwapBuffers() { SDL_GL_SwapBuffers(); }
GameRandom generator;
int ownRandom() { return generator.next(); }
void ownSeedRandom(unsigned seed) { generator.seed(seed); }
uint32_t wallClockSeconds() { return static_cast<uint32_t>(std::time(nullptr)); }
}  // namespace

PlatformHooks defaultPlatformHooks() {
    return {sdlPollEvent, sdlGetMouseState, sdlGetTicks, sdlDelay, sdlSwapBuffers, ownRandom, ownSeedRandom, wallClockSeconds};
}

InputEvent inputEventOf(const SDL_Event& raw) {
    InputEvent event;
    if (raw.type == SDL_KEYDOWN || raw.type == SDL_KEYUP) {
        static_assert(sizeof raw.key.keysym.sym == sizeof event.symbol, "SDLKey is int-sized");
        std::memcpy(&event.symbol, &raw.key.keysym.sym, sizeof event.symbol);
        event.kind = raw.type == SDL_KEYDOWN ? InputEvent::KeyDown : InputEvent::KeyUp;
    } else if (raw.type == SDL_QUIT) {
        event.kind = InputEvent::Quit;
    }
    return event;
}

bool readEvent(InputEvent& event) {
    SDL_Event raw;
    if (!seams.platform.pollEvent(&raw)) return false;
    event = inputEventOf(raw);
    return true;
}
