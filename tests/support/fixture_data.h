#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes real PNG files with libpng, in any of its pixel formats, so the
// loader can be fed the kinds of files a player might drop in.
struct PngFixture {
    int width = 1;
    int height = 1;
    int colorType = 2;  // PNG_COLOR_TYPE_RGB
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint8_t> rows;        // the file's own row bytes, top row first
    std::vector<uint8_t> palette;     // RGB triples, for colour type 3
    std::vector<uint8_t> paletteAlpha;  // tRNS entries, for colour type 3
};

void writePngFixture(const std::string& path, const PngFixture& fixture);

// Writes an 8-bit RGBA PNG (rgba holds width * height * 4 bytes, top row first).
void writeRgbaPng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

// Writes a short stereo 44.1 kHz sine tone in the format its extension names
// (.ogg Vorbis or .mp3), through libsndfile.
void writeToneFile(const std::string& path, double hertz, double seconds, double amplitude);

// A working directory the binary can start in: data/pics/ with the 21
// pictures as small solid-colour PNGs and data/audio/ with five short tones.
void writeFixtureData(const std::string& directory);
