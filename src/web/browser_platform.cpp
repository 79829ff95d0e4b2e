#include "web/browser_platform.h"

#include <SDL.h>
#include <emscripten.h>

#include "web/browser_keys.h"
#include "web/browser_sound.h"

namespace {
PlatformHooks native;

// Emscripten's SDL reports the tab's and the window's state as SDL 2's
// window events; SDL 1.2's loss of input focus is what pauses a game.
bool losesFocus(const SDL_Event& raw) {
    return raw.type == SDL_WINDOWEVENT &&
           (raw.window.event == SDL_WINDOWEVENT_FOCUS_LOST || raw.window.event == SDL_WINDOWEVENT_HIDDEN);
}

int browserPollEvent(SDL_Event* event) {
    if (!native.pollEvent(event)) return 0;
    if (event->type == SDL_KEYDOWN || event->type == SDL_KEYUP) {
        event->key.keysym.sym = static_cast<SDLKey>(sdl12KeyOf(event->key.keysym.sym));
    } else if (losesFocus(*event)) {
        *event = SDL_Event{};
        event->type = SDL_ACTIVEEVENT;
        event->active.gain = 0;
        event->active.state = SDL_APPINPUTFOCUS;
    }
    return 1;
}

// Set by a test that wants to look at the picture of one pass: true while
// the page asks the game to stand still after it.
EM_JS(int, heldForALook, (), {
    return Module.quadruneHoldAfterPass !== undefined && Module.quadrunePasses >= Module.quadruneHoldAfterPass ? 1 : 0;
});

// The mixer runs on the game's one thread: every sleep tops the browser's
// queue of sound up first.
void browserDelay(uint32_t ms) {
    pumpBrowserSound();
    native.delay(ms);
    while (heldForALook()) native.delay(20);
}

EM_JS(int, askPageForFullScreen, (int on), {
    return Module.quadruneFullScreen ? Module.quadruneFullScreen(!!on) : 0;
});

bool browserSetFullScreen(bool on) { return askPageForFullScreen(on ? 1 : 0) != 0; }

// Called once a pass of the main loop: the page counts the passes, so a
// test knows when the game is past its start.
EM_JS(void, countPass, (), {
    Module.quadrunePasses = (Module.quadrunePasses || 0) + 1;
    if (Module.quadrunePassTimes) Module.quadrunePassTimes.push(performance.now());
});

// Emscripten's SDL reads pads only when SDL_Init itself was given the
// joystick; the game starts that part apart, as SDL 1.2 allows.
EM_JS(void, letSdlReadPads, (), { SDL.initFlags |= 0x200; });

// A browser shows a pad only once a button on it was pressed, mostly after
// the start: open each new one as it appears. Emscripten's SDL reads the
// open ones through the Gamepad API on every poll.
void openNewControllers() {
    static int opened = 0;
    letSdlReadPads();
    int count = SDL_NumJoysticks();
    for (; opened < count; ++opened) SDL_JoystickOpen(opened);
}

void browserWatchControllers() {
    countPass();
    if (SDL_WasInit(SDL_INIT_JOYSTICK)) openNewControllers();
}
EM_JS(void, copyPageHostName, (char* out, int size), { stringToUTF8(location.hostname, out, size); });
}  // namespace

const char* pageHostName() {
    static char name[256];  // a DNS name's longest, with its end
    if (!name[0]) copyPageHostName(name, sizeof name);
    return name;
}

PlatformHooks browserPlatformHooks() {
    native = defaultPlatformHooks();
    PlatformHooks hooks = native;
    hooks.pollEvent = browserPollEvent;
    hooks.delay = browserDelay;
    hooks.setFullScreen = browserSetFullScreen;
    hooks.watchControllers = browserWatchControllers;
    return hooks;
}
