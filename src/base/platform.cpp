#include "base/platform.h"

#include <SDL.h>

#include <csignal>
#include <cstring>
#include <ctime>

#include "base/game_random.h"
#include "base/game_state.h"

static_assert(SDLK_LAST == kKeyTableSize && SDLK_ESCAPE == kEscapeKey, "the key table follows SDL 1.2");

namespace {
volatile std::sig_atomic_t endRequested = 0;

// Asked to end: each drain of the queue finds one more request to leave, a
// quit and a press of Escape in turn, until every screen has closed the way
// a player would close it, with the game's result entered and saved.
int sdlPollEvent(SDL_Event* event) {
    if (SDL_PollEvent(event)) return 1;
    static unsigned made = 0;
    if (!endRequested || made++ % 2 == 1) return 0;
    *event = SDL_Event{};
    event->type = (made / 2) % 2 == 0 ? SDL_QUIT : SDL_KEYDOWN;
    event->key.keysym.sym = SDLK_ESCAPE;
    return 1;
}
uint8_t sdlGetMouseState(int* x, int* y) { return SDL_GetMouseState(x, y); }
uint32_t sdlGetTicks() { return SDL_GetTicks(); }
void sdlDelay(uint32_t ms) { SDL_Delay(ms); }
void sdlSwapBuffers() { SDL_GL_SwapBuffers(); }
GameRandom generator;
int ownRandom() { return generator.next(); }
void ownSeedRandom(unsigned seed) { generator.seed(seed); }
uint32_t wallClockSeconds() { return static_cast<uint32_t>(std::time(nullptr)); }
}  // namespace

void requestEnd(int) { endRequested = 1; }

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
