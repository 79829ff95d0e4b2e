#include "platform/window_scale.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <string>

int comfortableScale(int desktopWidth, int desktopHeight, int width, int height) {
    if (width <= 0 || height <= 0) return 1;
    int across = desktopWidth * 9 / 10 / width;
    int down = desktopHeight * 9 / 10 / height;
    return std::max(1, std::min(across, down));
}

void chooseWindowScale(int width, int height) {
    if (std::getenv("SDL12COMPAT_WINDOW_SCALING")) return;
    const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
    if (!desktop) return;
    int scale = comfortableScale(desktop->current_w, desktop->current_h, width, height);
    if (scale > 1) setenv("SDL12COMPAT_WINDOW_SCALING", std::to_string(scale).c_str(), 1);
}
