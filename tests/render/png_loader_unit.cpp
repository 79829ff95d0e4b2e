#include <gtest/gtest.h>
#include <png.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "render/png_loader.h"
#include "fixture_data.h"
#include "render_png_writer.h"
#include "temp_dir.h"

namespace {
std::vector<uint8_t> pixelsOf(const PngImage& image) {
    return {image.pixels, image.pixels + static_cast<size_t>(image.width) * image.height * 4};
}

PngImage decode(const std::string& path) {
    PngImage image;
    loadPng(image, path.c_str());
    return image;
}

// A picture with a distinct colour in every pixel, so that a row or column
// out of place shows. Alpha varies too.
std::vector<uint8_t> patternRgba(int width, int height) {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rgba.insert(rgba.end(), {uint8_t(x * 7 + 1), uint8_t(y * 11 + 2), uint8_t(x * y + 3), uint8_t(255 - x - y)});
    return rgba;
}

std::vector<uint8_t> dropAlpha(const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> rgb;
    for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
    return rgb;
}

std::vector<uint8_t> opaque(std::vector<uint8_t> rgba) {
    for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
    return rgba;
}

struct ChildResult {
    int exitCode = -1;
    std::string out;
};

// Runs `body` in a child process whose standard output is captured; the
// loader ends the process on a failure, so the test needs its own.
ChildResult runInChild(const std::function<void()>& body) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        body();
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

ChildResult loadInChild(const std::string& path) {
    return runInChild([&] {
        PngImage image;
        loadPng(image, path.c_str());
    });
}
}  // namespace

TEST(PngLoader, EightBitRgbAndRgbaKeepTheirPixelsInFileRowOrder) {
    TempDir dir;
    const int w = 5, h = 3;
    auto rgba = patternRgba(w, h);
    writeRgbaPng(dir.file("rgba.png"), w, h, rgba);
    PngImage withAlpha = decode(dir.file("rgba.png"));
    EXPECT_EQ(withAlpha.width, 5u);
    EXPECT_EQ(withAlpha.height, 3u);
    EXPECT_EQ(withAlpha.colorType, PNG_COLOR_TYPE_RGB_ALPHA);
    EXPECT_EQ(withAlpha.bitDepth, 8);
    EXPECT_EQ(pixelsOf(withAlpha), rgba);

    PngFixture rgb{w, h, PNG_COLOR_TYPE_RGB, 8, false, dropAlpha(rgba), {}, {}};
    writePngFixture(dir.file("rgb.png"), rgb);
    PngImage noAlpha = decode(dir.file("rgb.png"));
    EXPECT_EQ(noAlpha.colorType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(pixelsOf(noAlpha), opaque(rgba));

    // The record is reused: a second picture replaces the first.
    loadPng(noAlpha, dir.file("rgba.png").c_str());
    EXPECT_EQ(pixelsOf(noAlpha), rgba);
    std::free(withAlpha.pixels);
    std::free(noAlpha.pixels);
}

TEST(PngLoader, OnePixelPicture) {
    TempDir dir;
    writeRgbaPng(dir.file("dot.png"), 1, 1, {9, 8, 7, 6});
    PngImage image = decode(dir.file("dot.png"));
    EXPECT_EQ(image.width, 1u);
    EXPECT_EQ(image.height, 1u);
    EXPECT_EQ(pixelsOf(image), (std::vector<uint8_t>{9, 8, 7, 6}));
    std::free(image.pixels);
}

TEST(PngLoader, OtherPixelFormatsBecomeEightBitRgba) {
    TempDir dir;
    // Palette with transparency on one entry; 2 x 2, 8-bit indices.
    PngFixture palette{2, 2, PNG_COLOR_TYPE_PALETTE, 8, false, {0, 1, 2, 0}, {10, 20, 30, 40, 50, 60, 70, 80, 90}, {128}};
    writePngFixture(dir.file("palette.png"), palette);
    PngImage image = decode(dir.file("palette.png"));
    EXPECT_EQ(image.colorType, PNG_COLOR_TYPE_PALETTE);
    EXPECT_EQ(pixelsOf(image), (std::vector<uint8_t>{10, 20, 30, 128, 40, 50, 60, 255, 70, 80, 90, 255, 10, 20, 30, 128}));

    // 4-bit palette indices, packed two a byte.
    PngFixture packed{3, 1, PNG_COLOR_TYPE_PALETTE, 4, false, {0x21, 0x00}, {1, 1, 1, 2, 2, 2, 3, 3, 3}, {}};
    writePngFixture(dir.file("packed.png"), packed);
    loadPng(image, dir.file("packed.png").c_str());
    EXPECT_EQ(pixelsOf(image), (std::vector<uint8_t>{3, 3, 3, 255, 2, 2, 2, 255, 1, 1, 1, 255}));

    PngFixture grey{2, 1, PNG_COLOR_TYPE_GRAY, 8, false, {0x40, 0xC0}, {}, {}};
    writePngFixture(dir.file("grey.png"), grey);
    loadPng(image, dir.file("grey.png").c_str());
    EXPECT_EQ(pixelsOf(image), (std::vector<uint8_t>{0x40, 0x40, 0x40, 255, 0xC0, 0xC0, 0xC0, 255}));

    PngFixture oneBit{8, 1, PNG_COLOR_TYPE_GRAY, 1, false, {0x81}, {}, {}};
    writePngFixture(dir.file("onebit.png"), oneBit);
    loadPng(image, dir.file("onebit.png").c_str());
    auto bits = pixelsOf(image);
    EXPECT_EQ(bits[0], 255);
    EXPECT_EQ(bits[4], 0);
    EXPECT_EQ(bits[28], 255);
    EXPECT_EQ(bits[31], 255);

    PngFixture greyAlpha{2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {0x10, 0x20, 0x30, 0x40}, {}, {}};
    writePngFixture(dir.file("greyalpha.png"), greyAlpha);
    loadPng(image, dir.file("greyalpha.png").c_str());
    EXPECT_EQ(image.colorType, PNG_COLOR_TYPE_GRAY_ALPHA);
    EXPECT_EQ(pixelsOf(image), (std::vector<uint8_t>{0x10, 0x10, 0x10, 0x20, 0x30, 0x30, 0x30, 0x40}));

    // 16-bit RGBA, big-endian samples: the high byte is kept.
    PngFixture deep{1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, false, {0xAB, 0xCD, 0x12, 0x34, 0x00, 0xFF, 0x80, 0x01}, {}, {}};
    writePngFixture(dir.file("deep.png"), deep);
    loadPng(image, dir.file("deep.png").c_str());
    EXPECT_EQ(image.bitDepth, 16);
    EXPECT_EQ(pixelsOf(image), (std::vector<uint8_t>{0xAB, 0x12, 0x00, 0x80}));
    std::free(image.pixels);
}

TEST(PngLoader, InterlacedPictureDecodesLikeThePlainOne) {
    TempDir dir;
    const int w = 13, h = 11;  // odd sizes leave some interlace passes short
    auto rgba = patternRgba(w, h);
    PngFixture laced{w, h, PNG_COLOR_TYPE_RGB_ALPHA, 8, true, rgba, {}, {}};
    writePngFixture(dir.file("laced.png"), laced);
    PngImage image = decode(dir.file("laced.png"));
    EXPECT_EQ(image.interlaceType, PNG_INTERLACE_ADAM7);
    EXPECT_EQ(pixelsOf(image), rgba);
    std::free(image.pixels);
}

TEST(PngLoader, OnlyTheFirstFourSignatureBytesAreChecked) {
    TempDir dir;
    auto rgba = patternRgba(4, 4);
    writeRgbaPng(dir.file("odd.png"), 4, 4, rgba);
    auto bytes = readFileBytes(dir.file("odd.png"));
    for (int i = 4; i < 8; ++i) bytes[i] = 'x';
    writeFileBytes(dir.file("odd.png"), bytes);
    PngImage image = decode(dir.file("odd.png"));
    EXPECT_EQ(pixelsOf(image), rgba);
    std::free(image.pixels);
}

TEST(PngLoader, EveryFailureReportsAndEndsWithCode12) {
    TempDir dir;
    std::string missing = dir.file("data/pics/none.png");
    ChildResult result = loadInChild(missing);
    EXPECT_EQ(result.exitCode, 12);
    EXPECT_EQ(result.out, "Error while loading '" + missing + "'\n");

    writeFileBytes(dir.file("text.png"), {'h', 'e', 'l', 'l', 'o', ' ', 'p', 'n', 'g', '\n'});
    result = loadInChild(dir.file("text.png"));
    EXPECT_EQ(result.exitCode, 12);
    EXPECT_EQ(result.out, "not png type " + dir.file("text.png"));

    writeFileBytes(dir.file("tiny.png"), {0x89, 'P'});
    result = loadInChild(dir.file("tiny.png"));
    EXPECT_EQ(result.exitCode, 12);
    EXPECT_EQ(result.out, "not png type " + dir.file("tiny.png"));
}

TEST(PngLoader, DamagedFilesReportTheFileAndEndWithCode12) {
    TempDir dir;
    const int w = 64, h = 64;
    std::vector<uint8_t> noise(w * h * 4);
    unsigned seed = 12345;
    for (auto& b : noise) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    writeRgbaPng(dir.file("whole.png"), w, h, noise);
    auto bytes = readFileBytes(dir.file("whole.png"));
    ASSERT_GT(bytes.size(), 8000u);

    // Cut inside the image data.
    std::string cut = dir.file("cut.png");
    writeFileBytes(cut, {bytes.begin(), bytes.begin() + bytes.size() / 2});
    ChildResult result = loadInChild(cut);
    EXPECT_EQ(result.exitCode, 12);
    EXPECT_EQ(result.out, "Error while loading '" + cut + "'\n");

    // Only the signature: the header itself is missing.
    std::string bare = dir.file("bare.png");
    writeFileBytes(bare, {bytes.begin(), bytes.begin() + 8});
    result = loadInChild(bare);
    EXPECT_EQ(result.exitCode, 12);
    EXPECT_EQ(result.out, "Error while loading '" + bare + "'\n");

    // A flipped byte in the compressed data fails its checksum.
    std::string flipped = dir.file("flipped.png");
    auto damaged = bytes;
    damaged[damaged.size() / 2] ^= 0x5A;
    writeFileBytes(flipped, damaged);
    result = loadInChild(flipped);
    EXPECT_EQ(result.exitCode, 12);
    EXPECT_EQ(result.out, "Error while loading '" + flipped + "'\n");

    // The intact file still loads in a child, so the cases above fail for their damage alone.
    result = loadInChild(dir.file("whole.png"));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
}
