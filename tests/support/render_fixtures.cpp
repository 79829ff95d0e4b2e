#include "render_fixtures.h"

#include <png.h>

#include <filesystem>

#include "fixture_data.h"
#include "render/scene.h"

CellColour fontCellColour(int cell) { return {40 + 24 * (cell % 9), 40 + 20 * (cell / 9), 200}; }

std::vector<uint8_t> fontPictureRgba() {
    std::vector<uint8_t> rgba;
    rgba.reserve(270 * 300 * 4);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 270; ++x) {
            CellColour c = fontCellColour((y / 30) * 9 + x / 30);
            rgba.insert(rgba.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b), 255});
        }
    return rgba;
}

std::vector<uint8_t> quadrantPictureRgba(int size) {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            bool top = y < size / 2, left = x < size / 2;
            if (top && left) rgba.insert(rgba.end(), {255, 0, 0, 255});
            else if (top) rgba.insert(rgba.end(), {0, 255, 0, 255});
            else if (left) rgba.insert(rgba.end(), {0, 0, 255, 255});
            else rgba.insert(rgba.end(), {255, 255, 255, 255});
        }
    return rgba;
}

namespace {
PngFixture tinyPicture(int slot) {
    auto v = static_cast<uint8_t>(slot * 11);
    switch (slot % 5) {
    case 0: return {2, 2, PNG_COLOR_TYPE_PALETTE, 8, false, {0, 1, 1, 0}, {v, 0, 0, 0, v, 0}, {200}};
    case 1: return {2, 2, PNG_COLOR_TYPE_GRAY, 8, false, {v, v, v, v}, {}, {}};
    case 2: return {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {v, 128, v, 255}, {}, {}};
    case 3: return {1, 1, PNG_COLOR_TYPE_RGB, 16, false, {v, 1, 0, 2, v, 3}, {}, {}};
    default: return {3, 3, PNG_COLOR_TYPE_RGB, 8, true, std::vector<uint8_t>(27, v), {}, {}};
    }
}
}  // namespace

void writeRenderPictures(const std::string& directory) {
    std::filesystem::create_directories(directory + "/data/pics");
    for (int slot = 1; slot <= 21; ++slot) {
        std::string path = directory + "/" + kTextureFiles[slot - 1];
        if (slot == 1) writeRgbaPng(path, 64, 64, quadrantPictureRgba(64));
        else if (slot == 21) writeRgbaPng(path, 270, 300, fontPictureRgba());
        else writePngFixture(path, tinyPicture(slot));
    }
}
