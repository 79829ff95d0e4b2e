// The player's folder in the browser. web/quadrune_pre.js makes it before
// main runs: mounted from IndexedDB (or in memory when the browser refuses
// that), its data entry linked to the preloaded data.
#include <unistd.h>

#include <cstdio>

#include "platform/player_dir.h"

namespace {
// Where a native game would keep them for the browser's home, web_user.
const char* const kBrowserPlayerDir = "/home/web_user/.local/share/quadrune";
}  // namespace

void enterPlayerDir() {
    if (chdir(kBrowserPlayerDir) != 0) std::fprintf(stderr, "quadrune: cannot enter %s\n", kBrowserPlayerDir);
}
