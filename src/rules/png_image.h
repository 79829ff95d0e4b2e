#pragma once
#include <cstdint>

// The last picture decoded, as 8-bit RGBA rows, top row first.
struct PngImage {
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t bitDepth;
    int32_t colorType;
    int32_t interlaceType;
    int32_t compressionType;
    int32_t filterType;
    uint8_t* pixels = nullptr;
};
