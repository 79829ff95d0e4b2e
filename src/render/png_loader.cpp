#include "render/png_loader.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#ifndef GL_RGBA16
#define GL_RGBA16 0x805B
#endif

namespace {
constexpr int kPixelBytes = 4;
// Far beyond any picture of the game's; it keeps a damaged header from
// asking for gigabytes.
constexpr png_uint_32 kMaxSide = 8192;

// Whatever the file holds (palette, grey, 16-bit, interlaced, with or
// without alpha), have libpng hand over 8-bit RGBA rows.
void requestRgba8(png_structp png, png_infop info, int bitDepth, int colorType) {
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// Room for width x height RGBA pixels, or null when that is too much.
uint8_t* allocatePixels(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) return nullptr;
    if (width > SIZE_MAX / kPixelBytes / height) return nullptr;
    size_t bytes = static_cast<size_t>(width) * height * kPixelBytes;
    return static_cast<uint8_t*>(std::malloc(bytes));
}

// libpng reports decode errors by jumping back into the setjmp below; every
// object touched after it is a plain pointer, so all of them can be freed.
PngFailure decodeData(PngImage& image, std::FILE* file) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return PngFailure::NoReadStruct;
    png_infop info = png_create_info_struct(png);
    png_infop endInfo = info ? png_create_info_struct(png) : nullptr;
    if (!info || !endInfo) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return PngFailure::NoInfoStruct;
    }
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, &endInfo);
        std::free(rows);
        std::free(image.pixels);
        image.pixels = nullptr;
        return PngFailure::Damaged;
    }

    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_init_io(png, file);
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    png_get_IHDR(png, info, &width, &height, &image.bitDepth, &image.colorType, &image.interlaceType,
                 &image.compressionType, &image.filterType);
    image.width = width;
    image.height = height;
    requestRgba8(png, info, image.bitDepth, image.colorType);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * kPixelBytes) png_error(png, "row size");

    image.pixels = allocatePixels(width, height);
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!image.pixels || !rows) png_error(png, "out of memory");
    // The converted rows are already in the output layout, so libpng
    // writes them straight into the pixel buffer, top row first.
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = image.pixels + static_cast<size_t>(y) * width * kPixelBytes;
    png_read_image(png, rows);
    png_read_end(png, endInfo);
    png_destroy_read_struct(&png, &info, &endInfo);
    std::free(rows);
    return PngFailure::None;
}

[[noreturn]] void failLoad(PngFailure failure, const char* path) {
    switch (failure) {
        case PngFailure::NotPng: std::printf("not png type %s", path); break;
        case PngFailure::NoReadStruct: std::fputs("error while reading png_structp", stdout); break;
        case PngFailure::NoInfoStruct: std::fputs("error while reading info_struct", stdout); break;
        default: std::printf("Error while loading '%s'\n", path); break;
    }
    std::exit(12);
}
}  // namespace

PngFailure decodePng(PngImage& image, std::FILE* file) {
    // The record only ever holds the last picture decoded.
    std::free(image.pixels);
    image.pixels = nullptr;
    png_byte header[8] = {};
    size_t got = std::fread(header, 1, sizeof header, file);
    // A file shorter than the signature cannot be a picture.
    if (got < 4 || png_sig_cmp(header, 0, 4) != 0) return PngFailure::NotPng;
    return decodeData(image, file);
}

void loadPng(PngImage& image, const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) failLoad(PngFailure::Unopened, path);
    PngFailure failure = decodePng(image, file);
    std::fclose(file);
    if (failure != PngFailure::None) failLoad(failure, path);
}

void createTexture(PngImage& image, uint32_t* name) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    *name = texture;
    glBindTexture(GL_TEXTURE_2D, texture);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA16, static_cast<GLint>(image.width), static_cast<GLint>(image.height),
                      GL_RGBA, GL_UNSIGNED_BYTE, image.pixels);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void loadTexture(PngImage& image, uint32_t* names, const char* path, int index) {
    if (!path) return;
    loadPng(image, path);
    createTexture(image, &names[index]);
}
