#include <gtest/gtest.h>
#include <png.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "render/png_loader.h"
#include "fixture_data.h"
#include "temp_dir.h"

namespace {
using Bytes = std::vector<uint8_t>;

Bytes pixelsOf(const PngImage& image) {
    return {image.pixels, image.pixels + static_cast<size_t>(image.width) * image.height * 4};
}

// A distinct colour and alpha in every pixel, so a row or column out of place shows.
Bytes patternRgba(int width, int height) {
    Bytes rgba;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rgba.insert(rgba.end(), {uint8_t(x * 7 + 1), uint8_t(y * 11 + 2), uint8_t(x * y + 3), uint8_t(255 - x - y)});
    return rgba;
}

struct ChildResult {
    int exitCode = -1;
    std::string out;
};

// The loader ends the process on a failure, so each load runs in a child.
ChildResult loadInChild(const std::string& path) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        PngImage image;
        loadPng(image, path.c_str());
        std::fflush(stdout);
        _exit(0);
    }
    close(fds[1]);
    ChildResult result;
    char buffer[512];
    ssize_t got;
    while ((got = read(fds[0], buffer, sizeof buffer)) > 0) result.out.append(buffer, static_cast<size_t>(got));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}
}  // namespace

TEST(PngLoader, EveryPixelFormatBecomesEightBitRgbaInFileRowOrder) {
    TempDir dir;
    Bytes rgba = patternRgba(5, 3), rgb, opaque = rgba;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
        opaque[i + 3] = 255;
    }
    Bytes laced = patternRgba(13, 11);  // odd sizes leave some interlace passes short
    struct Case {
        const char* name;
        PngFixture file;
        Bytes want;
    } cases[] = {
        {"rgba", {5, 3, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, rgba, {}, {}}, rgba},
        {"rgb", {5, 3, PNG_COLOR_TYPE_RGB, 8, false, rgb, {}, {}}, opaque},
        {"dot", {1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, {9, 8, 7, 6}, {}, {}}, {9, 8, 7, 6}},
        {"palette", {2, 2, PNG_COLOR_TYPE_PALETTE, 8, false, {0, 1, 2, 0}, {10, 20, 30, 40, 50, 60, 70, 80, 90}, {128}},
         {10, 20, 30, 128, 40, 50, 60, 255, 70, 80, 90, 255, 10, 20, 30, 128}},
        {"packed", {3, 1, PNG_COLOR_TYPE_PALETTE, 4, false, {0x21, 0x00}, {1, 1, 1, 2, 2, 2, 3, 3, 3}, {}},
         {3, 3, 3, 255, 2, 2, 2, 255, 1, 1, 1, 255}},
        {"grey", {2, 1, PNG_COLOR_TYPE_GRAY, 8, false, {0x40, 0xC0}, {}, {}},
         {0x40, 0x40, 0x40, 255, 0xC0, 0xC0, 0xC0, 255}},
        {"onebit", {2, 1, PNG_COLOR_TYPE_GRAY, 1, false, {0x80}, {}, {}}, {255, 255, 255, 255, 0, 0, 0, 255}},
        {"greyalpha", {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {0x10, 0x20, 0x30, 0x40}, {}, {}},
         {0x10, 0x10, 0x10, 0x20, 0x30, 0x30, 0x30, 0x40}},
        // 16-bit samples are big-endian: the high byte is kept.
        {"deep", {1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, false, {0xAB, 0xCD, 0x12, 0x34, 0x00, 0xFF, 0x80, 0x01}, {}, {}},
         {0xAB, 0x12, 0x00, 0x80}},
        {"laced", {13, 11, PNG_COLOR_TYPE_RGB_ALPHA, 8, true, laced, {}, {}}, laced},
    };
    PngImage image;  // reused: each picture replaces the one before
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writePngFixture(dir.file(c.name), c.file);
        loadPng(image, dir.file(c.name).c_str());
        EXPECT_EQ(image.width, unsigned(c.file.width));
        EXPECT_EQ(image.height, unsigned(c.file.height));
        EXPECT_EQ(image.colorType, c.file.colorType);
        EXPECT_EQ(image.bitDepth, c.file.bitDepth);
        EXPECT_EQ(image.interlaceType, c.file.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE);
        EXPECT_EQ(pixelsOf(image), c.want);
    }

    // Only the first four signature bytes are checked.
    auto bytes = readFileBytes(dir.file("rgba"));
    for (int i = 4; i < 8; ++i) bytes[i] = 'x';
    writeFileBytes(dir.file("odd.png"), bytes);
    loadPng(image, dir.file("odd.png").c_str());
    EXPECT_EQ(pixelsOf(image), rgba);
    std::free(image.pixels);
}

TEST(PngLoader, EveryFailureReportsTheFileAndEndsWithCode12) {
    TempDir dir;
    Bytes noise(64 * 64 * 4);
    unsigned seed = 12345;
    for (auto& b : noise) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    writeRgbaPng(dir.file("whole.png"), 64, 64, noise);
    Bytes whole = readFileBytes(dir.file("whole.png"));
    ASSERT_GT(whole.size(), 8000u);
    Bytes flipped = whole;
    flipped[flipped.size() / 2] ^= 0x5A;  // fails the checksum of the compressed data

    std::string missing = dir.file("data/pics/none.png");
    auto error = [](const std::string& path) { return "Error while loading '" + path + "'\n"; };
    struct Case {
        const char* name;
        Bytes content;
        bool notPng;
    } cases[] = {
        {"text.png", {'h', 'e', 'l', 'l', 'o', ' ', 'p', 'n', 'g', '\n'}, true},
        {"tiny.png", {0x89, 'P'}, true},
        {"cut.png", {whole.begin(), whole.begin() + whole.size() / 2}, false},
        {"bare.png", {whole.begin(), whole.begin() + 8}, false},
        {"flipped.png", flipped, false},
    };
    ChildResult result = loadInChild(missing);
    EXPECT_EQ(result.exitCode, 12);
    EXPECT_EQ(result.out, error(missing));
    for (const Case& c : cases) {
        std::string path = dir.file(c.name);
        writeFileBytes(path, c.content);
        result = loadInChild(path);
        EXPECT_EQ(result.exitCode, 12) << c.name;
        EXPECT_EQ(result.out, c.notPng ? "not png type " + path : error(path)) << c.name;
    }
    // The intact file loads, so the cases above fail for their damage alone.
    result = loadInChild(dir.file("whole.png"));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
}
