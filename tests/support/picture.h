#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Area {
    int x0, y0, x1, y1;  // inclusive, window pixels, y from the top
};

// An RGB picture, top row first: a window's pixels or a PNG file's.
struct Shot {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    uint8_t* at(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    double brightness(Area r) const;
    bool sameIn(const Shot& other, Area r) const;
    Shot crop(Area r) const;
};

// The GL back buffer as the next swap would show it.
Shot backBufferShot(int width = 640, int height = 480);
// False when the file is missing or no PNG.
bool readPngFile(const std::string& path, Shot& shot);
bool writePngFile(const std::string& path, const Shot& shot);
