#include "rules/seams.h"

#include <SDL.h>

#include <csignal>
#include <cstring>
#include <ctime>

#include "rules/config_file.h"
#include "rules/game_random.h"
#include "rules/game_state.h"
#include "rules/stick_steps.h"

static_assert(SDLK_LAST == kKeyTableSize && SDLK_ESCAPE == kEscapeKey, "the key table follows SDL 1.2");

namespace {
volatile std::sig_atomic_t endRequested = 0;
constexpr uint32_t kControllerLookMs = 3000;

// The stick's pushes come out as d-pad presses; one reading may make two.
struct PadState {
    StickSteps stick;
    PadChange pending[2];
    int pendingCount = 0, pendingAt = 0;
    uint32_t lastHeard = 0;  // by SDL's own clock, which no game reads
};
PadState pad;

void makeButtonEvent(const PadChange& change, SDL_Event* event) {
    *event = SDL_Event{};
    event->type = change.down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    event->jbutton.button = static_cast<Uint8>(change.button);
    event->jbutton.state = change.down ? SDL_PRESSED : SDL_RELEASED;
}

// Axis readings become button events or nothing; everything else passes.
bool padEventFrom(SDL_Event* event) {
    if (event->type >= SDL_JOYAXISMOTION && event->type <= SDL_JOYBUTTONUP) pad.lastHeard = SDL_GetTicks();
    if (event->type != SDL_JOYAXISMOTION) return true;
    pad.pendingCount = pad.stick.follow(event->jaxis.axis, event->jaxis.value, pad.pending);
    pad.pendingAt = 0;
    if (pad.pendingCount == 0) return false;
    makeButtonEvent(pad.pending[pad.pendingAt++], event);
    return true;
}

bool realEvent(SDL_Event* event) {
    if (pad.pendingAt < pad.pendingCount) return makeButtonEvent(pad.pending[pad.pendingAt++], event), true;
    while (SDL_PollEvent(event))
        if (padEventFrom(event)) return true;
    return false;
}

// Asked to end: each drain of the queue finds one more request to leave, a
// quit and a press of Escape in turn, until every screen has closed the way
// a player would close it, with the game's result entered and saved.
int sdlPollEvent(SDL_Event* event) {
    if (realEvent(event)) return 1;
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

void openControllers() {
    for (int i = 0; i < SDL_NumJoysticks(); ++i) SDL_JoystickOpen(i);
    SDL_JoystickEventState(SDL_ENABLE);
    pad.stick.reset();
    pad.pendingCount = pad.pendingAt = 0;
}

// SDL 1.2 lists controllers only as its joystick part starts; starting it
// again finds one plugged in since. That waits while a controller is in use.
void sdlWatchControllers() {
    if (!SDL_WasInit(SDL_INIT_JOYSTICK)) return;
    static uint32_t lastLook = SDL_GetTicks();
    uint32_t now = SDL_GetTicks();
    if (now - lastLook < kControllerLookMs || now - pad.lastHeard < kControllerLookMs) return;
    lastLook = now;
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0) openControllers();
}

bool sdlSetFullScreen(bool on) {
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (!screen) return false;
    if (((screen->flags & SDL_FULLSCREEN) != 0) == on) return true;
    return SDL_WM_ToggleFullScreen(screen) != 0;
}

bool asksForFullScreen(const SDL_Event& raw) {
    if (raw.type != SDL_KEYDOWN) return false;
    SDLKey key = raw.key.keysym.sym;
    return key == SDLK_F11 || (key == SDLK_RETURN && (raw.key.keysym.mod & KMOD_ALT) != 0);
}

void switchFullScreen() {
    bool on = gameState.config.fullScreen == 0;
    if (!setFullScreen(on)) return;
    gameState.config.fullScreen = on ? 1 : 0;
    storeFullScreenChoice();
}
}  // namespace

void startControllers() {
    // sdl12-compat then gives every known pad the same button layout.
    setenv("SDL12COMPAT_USE_GAME_CONTROLLERS", "1", 0);
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0) openControllers();
}

void requestEnd(int) { endRequested = 1; }

PlatformHooks defaultPlatformHooks() {
    return {sdlPollEvent,   sdlGetMouseState, sdlGetTicks,      sdlDelay,           sdlSwapBuffers,
            ownRandom,      ownSeedRandom,    wallClockSeconds, sdlWatchControllers, sdlSetFullScreen};
}

InputEvent inputEventOf(const SDL_Event& raw) {
    InputEvent event;
    if (raw.type == SDL_KEYDOWN || raw.type == SDL_KEYUP) {
        static_assert(sizeof raw.key.keysym.sym == sizeof event.symbol, "SDLKey is int-sized");
        std::memcpy(&event.symbol, &raw.key.keysym.sym, sizeof event.symbol);
        event.kind = raw.type == SDL_KEYDOWN ? InputEvent::KeyDown : InputEvent::KeyUp;
    } else if (raw.type == SDL_QUIT) {
        event.kind = InputEvent::Quit;
    } else if (raw.type == SDL_JOYBUTTONDOWN || raw.type == SDL_JOYBUTTONUP) {
        event.kind = raw.type == SDL_JOYBUTTONDOWN ? InputEvent::ButtonDown : InputEvent::ButtonUp;
        event.symbol = raw.jbutton.button;
    } else if (raw.type == SDL_ACTIVEEVENT && raw.active.gain == 0 &&
               (raw.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) != 0) {
        event.kind = InputEvent::FocusLost;
    }
    // The window's own keys are no player's move.
    if (asksForFullScreen(raw)) event = InputEvent{};
    return event;
}

bool readEvent(InputEvent& event) {
    SDL_Event raw;
    if (!seams.platform.pollEvent(&raw)) return false;
    if (asksForFullScreen(raw)) switchFullScreen();
    event = inputEventOf(raw);
    return true;
}
