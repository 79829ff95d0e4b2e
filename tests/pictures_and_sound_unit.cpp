#include <gtest/gtest.h>
#include <png.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/png_loader.h"
#include "sound/sound_decoder.h"
#include "sound/sound_mixer.h"
#include "test_support.h"

// Pictures and sounds as the player's files hold them.
namespace {
using Bytes = std::vector<uint8_t>;

struct PngFile {
    int width, height, colorType, bitDepth;
    bool interlaced;
    Bytes rows, palette, paletteAlpha;  // rows as the file stores them, top first
};

void writePng(const std::string& path, const PngFile& f) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, f.width, f.height, f.bitDepth, f.colorType,
                 f.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, 0, 0);
    if (!f.palette.empty())
        png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(f.palette.data()), int(f.palette.size() / 3));
    if (!f.paletteAlpha.empty()) png_set_tRNS(png, info, f.paletteAlpha.data(), int(f.paletteAlpha.size()), nullptr);
    png_write_info(png, info);
    std::vector<png_bytep> rows;
    for (int y = 0; y < f.height; ++y) rows.push_back(const_cast<png_bytep>(f.rows.data()) + png_get_rowbytes(png, info) * y);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

Bytes pattern(int width, int height) {  // a colour and alpha of its own in every pixel
    Bytes rgba;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) rgba.insert(rgba.end(), {uint8_t(x * 7 + 1), uint8_t(y * 11 + 2), uint8_t(x * y + 3), uint8_t(255 - x - y)});
    return rgba;
}

// The loader ends the process on a failure, so each load runs in a child.
std::pair<int, std::string> loadInChild(const std::string& path) {
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        std::freopen("child.txt", "w", stdout);
        PngImage image;
        loadPng(image, path.c_str());
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Bytes out = readFileBytes("child.txt");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(out.begin(), out.end())};
}

void writeWav(const std::string& path, int rate, const std::vector<int16_t>& stereo) {
    SF_INFO info{0, rate, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    sf_writef_short(file, stereo.data(), static_cast<sf_count_t>(stereo.size() / 2));
    sf_close(file);
}

std::vector<int16_t> readLooping(const std::string& path, size_t frames, size_t piece) {
    SoundDecoder decoder;
    EXPECT_EQ(openSoundDecoder(decoder, path.c_str(), 44100, true), SoundOk);
    std::vector<int16_t> out(frames * 2);
    for (size_t done = 0, got = 1; done < frames && got > 0; done += got)
        got = readSoundFrames(decoder, out.data() + 2 * done, std::min(piece, frames - done));
    return out;
}
}  // namespace

TEST(Pictures, EveryPixelFormatBecomesEightBitRgbaInFileRowOrder) {
    Bytes rgba = pattern(5, 3), rgb, opaque = rgba, laced = pattern(13, 11);
    for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]}), opaque[i + 3] = 255;
    struct Case {
        const char* name;
        PngFile file;
        Bytes want;
    } cases[] = {
        {"rgba", {5, 3, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, rgba, {}, {}}, rgba},
        {"rgb", {5, 3, PNG_COLOR_TYPE_RGB, 8, false, rgb, {}, {}}, opaque},
        {"palette", {2, 2, PNG_COLOR_TYPE_PALETTE, 8, false, {0, 1, 2, 0}, {10, 20, 30, 40, 50, 60, 70, 80, 90}, {128}},
         {10, 20, 30, 128, 40, 50, 60, 255, 70, 80, 90, 255, 10, 20, 30, 128}},
        {"packed", {3, 1, PNG_COLOR_TYPE_PALETTE, 4, false, {0x21, 0x00}, {1, 1, 1, 2, 2, 2, 3, 3, 3}, {}},
         {3, 3, 3, 255, 2, 2, 2, 255, 1, 1, 1, 255}},
        {"grey", {2, 1, PNG_COLOR_TYPE_GRAY, 1, false, {0x80}, {}, {}}, {255, 255, 255, 255, 0, 0, 0, 255}},
        {"greyalpha", {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {0x10, 0x20, 0x30, 0x40}, {}, {}},
         {0x10, 0x10, 0x10, 0x20, 0x30, 0x30, 0x30, 0x40}},
        {"deep", {1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, false, {0xAB, 0xCD, 0x12, 0x34, 0x00, 0xFF, 0x80, 0x01}, {}, {}},
         {0xAB, 0x12, 0x00, 0x80}},
        {"laced", {13, 11, PNG_COLOR_TYPE_RGB_ALPHA, 8, true, laced, {}, {}}, laced},
    };
    PngImage image;  // reused: each picture replaces the one before
    for (const Case& c : cases) {
        writePng(c.name, c.file);
        loadPng(image, c.name);
        EXPECT_EQ(image.width, unsigned(c.file.width)) << c.name;
        EXPECT_EQ(image.height, unsigned(c.file.height)) << c.name;
        EXPECT_EQ(Bytes(image.pixels, image.pixels + c.want.size()), c.want) << c.name;
    }
    std::free(image.pixels);
}

TEST(Pictures, EveryFailureNamesTheFileAndEndsWithCode12) {
    Bytes noise(64 * 64 * 4);
    unsigned seed = 12345;
    for (auto& b : noise) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    writePng("whole.png", {64, 64, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, noise, {}, {}});
    Bytes whole = readFileBytes("whole.png"), flipped = whole;
    flipped[flipped.size() / 2] ^= 0x5A;  // breaks the compressed data's checksum
    struct Case {
        const char* name;
        Bytes content;
        std::string out;
    } cases[] = {
        {"text.png", {'h', 'e', 'l', 'l', 'o', ' ', 'p', 'n', 'g'}, "not png type text.png"},
        {"tiny.png", {0x89, 'P'}, "not png type tiny.png"},
        {"cut.png", Bytes(whole.begin(), whole.begin() + whole.size() / 2), "Error while loading 'cut.png'\n"},
        {"bare.png", Bytes(whole.begin(), whole.begin() + 8), "Error while loading 'bare.png'\n"},
        {"flipped.png", flipped, "Error while loading 'flipped.png'\n"},
    };
    for (const Case& c : cases) {
        writeFileBytes(c.name, c.content);
        EXPECT_EQ(loadInChild(c.name), std::make_pair(12, c.out)) << c.name;
    }
    EXPECT_EQ(loadInChild("none.png"), std::make_pair(12, std::string("Error while loading 'none.png'\n")));
    EXPECT_EQ(loadInChild("whole.png"), std::make_pair(0, std::string()));
}

TEST(Sound, LoopsJoinWithoutAGapOrARepeatAtAnyRate) {
    std::vector<int16_t> ramp;
    for (int i = 0; i < 3001; ++i) ramp.insert(ramp.end(), {int16_t(i * 7 - 8000), int16_t(i * 7 - 7900)});
    writeWav("ramp.wav", 44100, ramp);
    std::vector<int16_t> looped = readLooping("ramp.wav", 3001 * 3 + 500, 777);
    for (size_t i = 0; i < looped.size(); ++i) ASSERT_EQ(looped[i], ramp[i % ramp.size()]) << i;
    // At half the rate every other frame lies halfway, across the seam too.
    writeWav("slow.wav", 22050, std::vector<int16_t>(ramp.begin(), ramp.begin() + 2000));
    std::vector<int16_t> slow = readLooping("slow.wav", 4011, 333);
    for (size_t k = 0; k + 1 < slow.size() / 4; ++k) {
        int a = ramp[2 * (k % 1000)], b = ramp[2 * ((k + 1) % 1000)];
        ASSERT_EQ(slow[4 * k], a) << k;
        ASSERT_EQ(slow[4 * k + 2], a + (b - a) / 2) << k;
    }
    std::vector<int16_t> frames;
    EXPECT_EQ(decodeSoundFile("absent.ogg", 44100, frames), SoundFileNotFound);
    writeFileBytes("notes.ogg", Bytes(3000, 'x'));
    EXPECT_EQ(decodeSoundFile("notes.ogg", 44100, frames), SoundFileFormat);
}

TEST(Sound, MixingSaturatesInsteadOfWrapping) {
    const std::vector<float> in = {0.5f, -1.0f, 1.2f, -1.5f, 32767 / 32768.0f, -3 / 32768.0f};
    std::vector<int16_t> out(in.size());
    floatToSamples(in.data(), out.data(), in.size());
    EXPECT_EQ(out, (std::vector<int16_t>{16384, -32768, 32767, -32768, 32767, -3}));
    const std::vector<int32_t> sums = {32767, -32768, 32768, -32769, 99999, -99999};
    std::vector<int16_t> clamped(6);
    saturateFrames(sums.data(), clamped.data(), 3);
    EXPECT_EQ(clamped, (std::vector<int16_t>{32767, -32768, 32767, -32768, 32767, -32768}));
}
