#include "picture.h"

#include <GL/gl.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

double Shot::brightness(Area r) const {
    double sum = 0;
    for (int y = r.y0; y <= r.y1; ++y)
        for (int x = r.x0; x <= r.x1; ++x) sum += at(x, y)[0] + at(x, y)[1] + at(x, y)[2];
    return sum / 3 / ((r.x1 - r.x0 + 1) * (r.y1 - r.y0 + 1));
}

bool Shot::sameIn(const Shot& other, Area r) const {
    if (width == 0 || other.width != width) return false;
    for (int y = r.y0; y <= r.y1; ++y)
        if (std::memcmp(at(r.x0, y), other.at(r.x0, y), static_cast<size_t>(r.x1 - r.x0 + 1) * 3) != 0) return false;
    return true;
}

Shot Shot::crop(Area r) const {
    Shot part{r.x1 - r.x0 + 1, r.y1 - r.y0 + 1, {}};
    for (int y = r.y0; y <= r.y1; ++y) part.rgb.insert(part.rgb.end(), at(r.x0, y), at(r.x1, y) + 3);
    return part;
}

Shot backBufferShot(int width, int height) {
    Shot shot{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    std::vector<uint8_t> bottomUp(shot.rgb.size());
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    const size_t row = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) std::memcpy(shot.at(0, y), &bottomUp[(height - 1 - y) * row], row);
    return shot;
}

bool readPngFile(const std::string& path, Shot& shot) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    shot.width = static_cast<int>(image.width);
    shot.height = static_cast<int>(image.height);
    shot.rgb.assign(PNG_IMAGE_SIZE(image), 0);
    return png_image_finish_read(&image, nullptr, shot.rgb.data(), 0, nullptr) != 0;
}

bool writePngFile(const std::string& path, const Shot& shot) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool written = false;
    if (info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_compression_level(png, 9);  // references live in the repository
        png_set_IHDR(png, info, static_cast<png_uint_32>(shot.width), static_cast<png_uint_32>(shot.height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < shot.height; ++y) png_write_row(png, shot.at(0, y));
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && written;
}
