#pragma once
#include <cstdint>

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

void loadPng(PngImage& image, const char* path);
void createTexture(PngImage& image, uint32_t* name);
void loadTexture(PngImage& image, uint32_t* names, const char* path, int index);
