#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Drives the game's window as a player would, through xdotool, and reads
// what the X server shows. Coordinates are window pixels, y from the top.
namespace xdriver {

// A bare X server resets when its last client leaves, and a window opened
// during the reset fails; one connection held for the whole run prevents it.
void holdXServer();

// Waits up to timeoutMs for the game's window; returns false if it never shows.
bool waitForWindow(int timeoutMs);
void moveMouse(int x, int y);
void mouseDown();
void mouseUp();
void click(int x, int y, int holdMs = 120);
void pressKey(const std::string& keysym, int holdMs = 120);  // xdotool key names
void typeKeys(const std::vector<std::string>& keysyms);
bool closeWindow();  // as a window manager would

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // top row first
    bool valid() const { return width > 0; }
    struct Pixel {
        int r, g, b;
    };
    Pixel at(int x, int y) const;
    double meanBrightness(int x0, int y0, int x1, int y1) const;  // inclusive rectangle
};

// The game window's contents, taken from the X server and saved as PNG.
Screenshot screenshot(const std::string& pngPath);

}  // namespace xdriver
