#pragma once
#include <cstdint>

#include "base/png_image.h"

void loadPng(PngImage& image, const char* path);
void createTexture(PngImage& image, uint32_t* name);
void loadTexture(PngImage& image, uint32_t* names, const char* path, int index);
