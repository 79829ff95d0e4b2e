#include "base/platform.h"

#include <cstdlib>

namespace {
int sdlPollEvent(SDL_Event* event) { return SDL_PollEvent(event); }
uint8_t sdlGetMouseState(int* x, int* y) { return SDL_GetMouseState(x, y); }
uint32_t sdlGetTicks() { return SDL_GetTicks(); }
void sdlDelay(uint32_t ms) { SDL_Delay(ms); }
void sdlSwapBuffers() { SDL_GL_SwapBuffers(); }
int stdRandom() { return std::rand(); }
void stdSeedRandom(unsigned seed) { std::srand(seed); }
}  // namespace

PlatformHooks defaultPlatformHooks() {
    return {sdlPollEvent, sdlGetMouseState, sdlGetTicks, sdlDelay, sdlSwapBuffers, stdRandom, stdSeedRandom};
}

PlatformHooks platform = defaultPlatformHooks();
