#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Pictures whose content the rendering tests can recognise on screen.
struct CellColour {
    int r, g, b;
};

// The font picture is 270 x 300 with every 30 x 30 cell in its own colour,
// edges included, so a glyph lights its whole square and its centre tells
// which cell it came from.
CellColour fontCellColour(int cell);
std::vector<uint8_t> fontPictureRgba();

// A square picture: top left red, top right green, bottom left blue,
// bottom right white.
std::vector<uint8_t> quadrantPictureRgba(int size);

// The 21 pictures under directory/data/pics: the quadrant picture as
// block 1, the font picture as the font, and the rest tiny, in assorted
// PNG formats (palette, grey, grey with alpha, 16-bit, interlaced).
void writeRenderPictures(const std::string& directory);
