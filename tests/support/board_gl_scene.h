#pragma once
#include <cstdint>
#include <vector>

// The game's view of the board in a real GL context: perspective of the
// start-up projection, the board's camera translation, the three display
// lists of the scene, and solid-colour pictures in the texture slots.
struct Colour {
    uint8_t r, g, b;
};

// Colour of the solid picture in slot 1..11 (slot 7 is the backdrop:
// red in its top half, blue in its bottom half).
Colour boardSlotColour(int slot);

// Opens the context once and prepares lists and textures; false without X.
bool openBoardGlScene();
// Clears to black and loads the board camera on the model-view matrix.
void beginBoardFrame();

struct PixelBox {
    int left = 1 << 30, bottom = 1 << 30, right = -1, top = -1;  // window pixels, y upwards
    bool found() const { return right >= 0; }
};
// Bounding box of the pixels of the back buffer close to `colour`.
PixelBox boxOfColour(Colour colour, int tolerance = 24);
// Bounding box of the window positions of world points under the current matrices.
PixelBox projectedBox(const std::vector<float>& xyzTriples);
// The eight corners of a block cube centred on (x, y, z).
std::vector<float> cubeCorners(float x, float y, float z);
Colour pixelAt(int x, int yUp);
