#include "render_png_writer.h"

#include <png.h>

#include <cstdio>
#include <stdexcept>

void writePngFixture(const std::string& path, const PngFixture& fixture) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows(fixture.height);  // lives across the jump
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        throw std::runtime_error("libpng could not write " + path);
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, fixture.width, fixture.height, fixture.bitDepth, fixture.colorType,
                 fixture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!fixture.palette.empty())
        png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(fixture.palette.data()),
                     static_cast<int>(fixture.palette.size() / 3));
    if (!fixture.paletteAlpha.empty())
        png_set_tRNS(png, info, fixture.paletteAlpha.data(), static_cast<int>(fixture.paletteAlpha.size()), nullptr);
    png_write_info(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    if (fixture.rows.size() != rowBytes * fixture.height) png_error(png, "fixture rows have the wrong size");
    for (int y = 0; y < fixture.height; ++y)
        rows[y] = const_cast<png_bytep>(fixture.rows.data()) + rowBytes * y;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}
