#pragma once
#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "base/game_state.h"
#include "gl_context.h"

// A texture of width x height RGBA texels (top row first), sampled nearest
// so each texel shows as a sharp block.
inline GLuint menuTestTexture(int width, int height, const std::vector<uint8_t>& rgba) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return name;
}

inline GLuint menuSolidTexture(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    return menuTestTexture(1, 1, {r, g, b, a});
}

// Pictures in plain colours: exit red, play green, options blue, logo grey;
// masks black, except the play mask, whose right half is white.
inline void installMenuTestTextures(uint8_t backgroundLevel) {
    uint32_t* t = gameState.textures;
    t[12] = menuSolidTexture(backgroundLevel, backgroundLevel, backgroundLevel);
    t[13] = menuSolidTexture(200, 0, 0);
    t[14] = menuSolidTexture(0, 0, 0);
    t[15] = menuSolidTexture(100, 100, 100);
    t[16] = menuSolidTexture(0, 0, 0);
    t[17] = menuSolidTexture(0, 0, 200);
    t[18] = menuSolidTexture(0, 0, 0);
    t[19] = menuSolidTexture(0, 200, 0);
    t[20] = menuTestTexture(2, 1, {0, 0, 0, 255, 255, 255, 255, 255});
}

inline bool nearColour(const Rgb& p, int r, int g, int b, int tolerance = 3) {
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance;
}
