#pragma once
#include "rules/seams.h"

// The native SDL platform as emscripten's SDL runs it, with the browser's
// differences: keys renumbered as SDL 1.2 numbers them, a hidden tab or a
// lost focus reported as the window's focus loss, the sound pumped while
// the game sleeps, and full screen asked of the page.
PlatformHooks browserPlatformHooks();

// The page's own host name: uploads go to its origin, so the highscore
// prompt names it rather than the domain a native build was made for.
const char* pageHostName();
