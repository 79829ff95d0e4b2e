#include "rules/seams.h"

#include <SDL.h>

#include <csignal>
#include <cstring>
#include <ctime>
#include <vector>

#include "rules/config_file.h"
#include "rules/game_random.h"
#include "rules/game_state.h"
#include "rules/pad_feed.h"

static_assert(SDLK_LAST == kKeyTableSize && SDLK_ESCAPE == kEscapeKey, "the key table follows SDL 1.2");

namespace {
volatile std::sig_atomic_t endRequested = 0;
constexpr uint32_t kControllerLookMs = 3000;

PadFeed padFeed;
std::vector<SDL_Joystick*> openPads;  // as SDL 1.2 listed them when its joystick part started

void makeButtonEvent(const PadChange& change, SDL_Event* event) {
    *event = SDL_Event{};
    event->type = change.down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    event->jbutton.button = static_cast<Uint8>(change.button);
    event->jbutton.state = change.down ? SDL_PRESSED : SDL_RELEASED;
}

// The controllers' presses come from their state, read each pass: an SDL
// that also sends their events, as sdl12-compat does only while SDL 2's
// game-controller part runs, would otherwise press every button twice.
bool isPadEvent(const SDL_Event& event) {
    return event.type >= SDL_JOYAXISMOTION && event.type <= SDL_JOYBUTTONUP;
}

bool realEvent(SDL_Event* event) {
    while (SDL_PollEvent(event))
        if (!isPadEvent(*event)) return true;
    PadChange change;
    if (!padFeed.next(change)) return false;
    makeButtonEvent(change, event);
    return true;
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

// The strongest lean of any controller's stick on one axis.
int leanOf(int axis) {
    int lean = 0;
    for (SDL_Joystick* pad : openPads) {
        int value = SDL_JoystickGetAxis(pad, axis);
        if (value * value > lean * lean) lean = value;
    }
    return lean;
}

bool sdlReadController(PadReading* now) {
    if (openPads.empty()) return false;
    SDL_JoystickUpdate();
    *now = PadReading{};
    for (SDL_Joystick* pad : openPads)
        for (int b = 0; b < SDL_JoystickNumButtons(pad) && b < 32; ++b)
            if (SDL_JoystickGetButton(pad, b)) now->buttons |= uint32_t(1) << b;
    now->stickX = leanOf(kStickAxisX);
    now->stickY = leanOf(kStickAxisY);
    return true;
}

void openControllers() {
    openPads.clear();
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_Joystick* pad = SDL_JoystickOpen(i)) openPads.push_back(pad);
}

// SDL 1.2 lists controllers only as its joystick part starts; starting it
// again finds one plugged in since, and would close an open one, so it is
// done only while none is open.
void sdlWatchControllers() {
    if (!SDL_WasInit(SDL_INIT_JOYSTICK) || !openPads.empty()) return;
    static uint32_t lastLook = SDL_GetTicks();
    uint32_t now = SDL_GetTicks();
    if (now - lastLook < kControllerLookMs) return;
    lastLook = now;
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    openPads.clear();
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
    return {sdlPollEvent, sdlGetMouseState, sdlGetTicks,         sdlDelay,          sdlSwapBuffers,   ownRandom,
            ownSeedRandom, wallClockSeconds, sdlWatchControllers, sdlReadController, sdlSetFullScreen};
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
