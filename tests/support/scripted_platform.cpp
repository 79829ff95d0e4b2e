#include "scripted_platform.h"

ScriptedPlatform* ScriptedPlatform::current = nullptr;

namespace {
int scriptedPoll(SDL_Event* event) {
    auto& s = *ScriptedPlatform::current;
    if (s.events.empty()) return 0;
    *event = s.events.front();
    s.events.pop_front();
    return 1;
}
uint8_t scriptedMouse(int* x, int* y) {
    auto& s = *ScriptedPlatform::current;
    if (x) *x = s.mouseX;
    if (y) *y = s.mouseY;
    return s.mouseButtons;
}
uint32_t scriptedTicks() {
    auto& s = *ScriptedPlatform::current;
    uint32_t now = s.ticks;
    s.ticks += s.ticksPerRead;
    return now;
}
void scriptedDelay(uint32_t ms) { ScriptedPlatform::current->delays.push_back(ms); }
void scriptedSwap() {
    auto& s = *ScriptedPlatform::current;
    ++s.swaps;
    if (s.realSwap) SDL_GL_SwapBuffers();
    if (s.onSwap) s.onSwap();
}
int scriptedRandom() {
    auto& s = *ScriptedPlatform::current;
    ++s.randomCalls;
    if (s.randomValues.empty()) return s.fallbackRandom();
    int value = s.randomValues.front();
    s.randomValues.pop_front();
    return value;
}
void scriptedSeed(unsigned seed) { ScriptedPlatform::current->seeds.push_back(seed); }
}  // namespace

ScriptedPlatform::ScriptedPlatform() : saved_(platform) {
    current = this;
    platform = {scriptedPoll, scriptedMouse, scriptedTicks, scriptedDelay, scriptedSwap, scriptedRandom, scriptedSeed};
}

ScriptedPlatform::~ScriptedPlatform() {
    platform = saved_;
    current = nullptr;
}

void ScriptedPlatform::pushEvent(const SDL_Event& event) { events.push_back(event); }

void ScriptedPlatform::pushKeyDown(int symbol) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = static_cast<SDLKey>(symbol);
    pushEvent(event);
}

void ScriptedPlatform::pushKeyUp(int symbol) {
    SDL_Event event{};
    event.type = SDL_KEYUP;
    event.key.type = SDL_KEYUP;
    event.key.state = SDL_RELEASED;
    event.key.keysym.sym = static_cast<SDLKey>(symbol);
    pushEvent(event);
}

void ScriptedPlatform::pushQuit() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    pushEvent(event);
}

void ScriptedPlatform::pushMotion() {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    pushEvent(event);
}
