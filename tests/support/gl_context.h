#pragma once
#include <cstdint>
#include <vector>

// Opens (once per process) a real 640 x 480 SDL window with a GLX context
// on the X display named by DISPLAY. Returns false when there is none.
bool openTestGlContext();

// Reads the colour buffer back; rows bottom-up as OpenGL returns them.
std::vector<uint8_t> readPixelsRgb(int x, int y, int width, int height);

// Pixel at (x, y) with y counted from the top of the 640 x 480 window.
struct Rgb {
    int r, g, b;
};
Rgb pixelAtTop(int x, int yFromTop);
