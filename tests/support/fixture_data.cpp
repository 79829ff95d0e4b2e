#include "fixture_data.h"

#include <png.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "render/scene.h"

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

void writeRgbaPng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
    writePngFixture(path, {width, height, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, rgba, {}, {}});
}

void writeToneFile(const std::string& path, double hertz, double seconds, double amplitude) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    bool mp3 = path.size() > 4 && path.compare(path.size() - 4, 4, ".mp3") == 0;
    info.format = mp3 ? (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III) : (SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    auto frames = static_cast<size_t>(seconds * 44100);
    std::vector<float> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        float v = static_cast<float>(amplitude * std::sin(2 * M_PI * hertz * static_cast<double>(i) / 44100));
        samples[2 * i] = samples[2 * i + 1] = v;
    }
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
}

void writeFixtureData(const std::string& directory) {
    std::filesystem::create_directories(directory + "/data/pics");
    std::filesystem::create_directories(directory + "/data/audio");
    for (int slot = 1; slot <= 21; ++slot) {
        std::vector<uint8_t> rgba(8 * 8 * 4);
        for (size_t i = 0; i < rgba.size(); i += 4) {
            rgba[i] = static_cast<uint8_t>(slot * 12);
            rgba[i + 1] = static_cast<uint8_t>(255 - slot * 10);
            rgba[i + 2] = 128;
            rgba[i + 3] = 255;
        }
        writeRgbaPng(directory + "/" + kTextureFiles[slot - 1], 8, 8, rgba);
    }
    writeToneFile(directory + "/data/audio/muzaik.mp3", 220, 2.0, 0.3);
    writeToneFile(directory + "/data/audio/menumusa.ogg", 330, 2.0, 0.3);
    writeToneFile(directory + "/data/audio/boom.mp3", 80, 0.3, 0.5);
    writeToneFile(directory + "/data/audio/pilip.ogg", 880, 0.1, 0.3);
    writeToneFile(directory + "/data/audio/plip2.ogg", 1320, 0.1, 0.3);
}
