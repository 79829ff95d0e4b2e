#pragma once
#include <cstdint>

struct GameState;

// The 21 pictures, in texture-slot order starting at slot 1.
extern const char* const kTextureFiles[21];

void resizeScene(GameState& state, int32_t width, int32_t height);
void loadScene(GameState& state, int32_t width, int32_t height);
void buildDisplayLists();
