// gluBuild2DMipmaps as GLU builds it: the picture scaled to powers of two,
// then each level the rounded mean of 2 x 2 texels of the one before.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "web/gl_layer.h"
#include "web/gl_real.h"

namespace {
struct Image {
    int width, height, components;
    std::vector<uint8_t> texels;  // rows tightly packed, bottom row first
    const uint8_t* at(int x, int y) const { return &texels[(static_cast<size_t>(y) * width + x) * components]; }
};

int componentsOf(GLenum format) {
    switch (format) {
        case GL_RGBA: return 4;
        case GL_RGB: return 3;
        case GL_LUMINANCE_ALPHA: return 2;
        case GL_LUMINANCE: case GL_ALPHA: case GL_RED: return 1;
        default: return 0;
    }
}

// GLU's rounding to a power of two: up from one and a half times a power.
int nearestPower(int value) {
    int power = 1;
    for (unsigned v = static_cast<unsigned>(value);; v >>= 1, power *= 2) {
        if (v == 1) return power;
        if (v == 3) return power * 4;
    }
}

Image readImage(int width, int height, int components, const void* data) {
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    size_t row = static_cast<size_t>(width) * components;
    size_t stride = (row + alignment - 1) / alignment * alignment;
    Image image{width, height, components, std::vector<uint8_t>(row * height)};
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    for (int y = 0; y < height; ++y) std::copy_n(bytes + y * stride, row, &image.texels[y * row]);
    return image;
}

// The mean over the source area a target texel covers; a texel smaller
// than a source texel takes the source area of one texel about its centre.
double areaMean(const Image& source, double x0, double x1, double y0, double y1, int k) {
    double total = 0, area = 0;
    for (int y = std::max(0, static_cast<int>(y0)); y < source.height && y < y1; ++y) {
        double h = std::min<double>(y + 1, y1) - std::max<double>(y, y0);
        for (int x = std::max(0, static_cast<int>(x0)); x < source.width && x < x1; ++x) {
            double w = std::min<double>(x + 1, x1) - std::max<double>(x, x0);
            total += w * h * source.at(x, y)[k];
            area += w * h;
        }
    }
    return area > 0 ? total / area : 0;
}

Image scaled(const Image& source, int width, int height) {
    Image out{width, height, source.components, std::vector<uint8_t>(static_cast<size_t>(width) * height * source.components)};
    double sx = static_cast<double>(source.width) / width, sy = static_cast<double>(source.height) / height;
    double halfX = std::max(sx, 1.0) / 2, halfY = std::max(sy, 1.0) / 2;
    uint8_t* texel = out.texels.data();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double cx = (x + 0.5) * sx, cy = (y + 0.5) * sy;
            for (int k = 0; k < source.components; ++k)
                *texel++ = static_cast<uint8_t>(areaMean(source, cx - halfX, cx + halfX, cy - halfY, cy + halfY, k) + 0.5);
        }
    return out;
}

// One row or one column left: pairs are averaged, rounding down, as GLU does.
Image halved(const Image& source) {
    int width = std::max(1, source.width / 2), height = std::max(1, source.height / 2);
    Image out{width, height, source.components, std::vector<uint8_t>(static_cast<size_t>(width) * height * source.components)};
    uint8_t* texel = out.texels.data();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < source.components; ++k) {
                if (source.width == 1 || source.height == 1) {
                    int sx = source.width == 1 ? 0 : 2 * x, sy = source.height == 1 ? 0 : 2 * y;
                    int nx = source.width == 1 ? 0 : 1, ny = source.height == 1 ? 0 : 1;
                    *texel++ = static_cast<uint8_t>((source.at(sx, sy)[k] + source.at(sx + nx, sy + ny)[k]) / 2);
                } else {
                    int sum = source.at(2 * x, 2 * y)[k] + source.at(2 * x + 1, 2 * y)[k] +
                              source.at(2 * x, 2 * y + 1)[k] + source.at(2 * x + 1, 2 * y + 1)[k];
                    *texel++ = static_cast<uint8_t>((sum + 2) / 4);
                }
            }
    return out;
}

void upload(GLenum target, GLint level, GLint internalFormat, GLenum format, const Image& image) {
#ifdef __EMSCRIPTEN__
    // WebGL 1 stores what it is given: no 16-bit formats to ask for.
    internalFormat = static_cast<GLint>(format);
#endif
    glTexImage2D(target, level, internalFormat, image.width, image.height, 0, format, GL_UNSIGNED_BYTE,
                 image.texels.data());
}
}  // namespace

GLint quadruneBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format,
                             GLenum type, const void* data) {
    int components = componentsOf(format);
    if (width < 1 || height < 1) return GLU_INVALID_VALUE;
    if (components == 0 || type != GL_UNSIGNED_BYTE) return GLU_INVALID_ENUM;
    Image image = readImage(width, height, components, data);
    int powerWidth = nearestPower(width), powerHeight = nearestPower(height);
    if (powerWidth != width || powerHeight != height) image = scaled(image, powerWidth, powerHeight);

    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (GLint level = 0;; ++level) {
        upload(target, level, internalFormat, format, image);
        if (image.width == 1 && image.height == 1) break;
        image = halved(image);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return 0;
}
