#pragma once

// The largest whole multiple of width × height that leaves a tenth of the
// desktop free each way, for panels and title bars; never below 1.
int comfortableScale(int desktopWidth, int desktopHeight, int width, int height);
// Lets sdl12-compat open the window at that multiple of the desktop it
// finds, unless the player chose one with SDL12COMPAT_WINDOW_SCALING.
// Between SDL_Init and the window's opening.
void chooseWindowScale(int width, int height);
