#pragma once
#include <cstdint>
#include <cstdio>

#include "rules/png_image.h"

// Why a picture could not be decoded; each has its own line when loading ends the game.
enum class PngFailure { None, Unopened, NotPng, NoReadStruct, NoInfoStruct, Damaged };

// Decodes an open PNG file into image, as 8-bit RGBA; on a failure the image
// holds no pixels and the process goes on.
PngFailure decodePng(PngImage& image, std::FILE* file);
// Decodes the file at path, or prints why not and ends the game with code 12.
void loadPng(PngImage& image, const char* path);
void createTexture(PngImage& image, uint32_t* name);
void loadTexture(PngImage& image, uint32_t* names, const char* path, int index);
