#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes an 8-bit RGBA PNG (rgba holds width * height * 4 bytes, top row first).
void writeRgbaPng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

// Writes a short stereo 44.1 kHz sine tone in the format its extension names
// (.ogg Vorbis or .mp3), through libsndfile.
void writeToneFile(const std::string& path, double hertz, double seconds, double amplitude);

// A working directory the binary can start in: data/pics/ with the 21
// pictures as small solid-colour PNGs and data/audio/ with five short tones.
void writeFixtureData(const std::string& directory);
