#include "x_driver.h"

#include <X11/Xlib.h>
#include <png.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace xdriver {
namespace {
const char* const kTitlePattern = "'^Quadrune 0\\.145a - 04\\.02\\.2006$'";
std::string windowId;

std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void xdotool(const std::string& arguments) { run("xdotool " + arguments + " 2>/dev/null"); }
}  // namespace

void holdXServer() {
    static Display* held = nullptr;
    if (!held) held = XOpenDisplay(nullptr);
}

bool waitForWindow(int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 100) {
        std::string id = run(std::string("xdotool search --name ") + kTitlePattern + " 2>/dev/null | head -n 1");
        if (!id.empty()) {
            windowId = id;
            // No window manager runs under Xvfb: give the window the keyboard.
            xdotool("windowfocus " + windowId);
            return true;
        }
        sleepMs(100);
    }
    return false;
}

void moveMouse(int x, int y) {
    xdotool("mousemove --window " + windowId + " " + std::to_string(x) + " " + std::to_string(y));
    sleepMs(60);
}

void mouseDown() { xdotool("mousedown 1"); }
void mouseUp() { xdotool("mouseup 1"); }

void click(int x, int y, int holdMs) {
    moveMouse(x, y);
    mouseDown();
    sleepMs(holdMs);
    mouseUp();
    sleepMs(80);
}

void pressKey(const std::string& keysym, int holdMs) {
    // Real (XTEST) key events: SDL ignores nothing, the focused window gets them.
    xdotool("keydown " + keysym);
    sleepMs(holdMs);
    xdotool("keyup " + keysym);
    sleepMs(80);
}

void typeKeys(const std::vector<std::string>& keysyms) {
    for (const auto& key : keysyms) pressKey(key);
}

bool closeWindow() {
    return std::system((std::string(QUADRUNE_CLOSE_WINDOW) + " 'Quadrune 0.145a - 04.02.2006'").c_str()) == 0;
}

Screenshot::Pixel Screenshot::at(int x, int y) const {
    size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

double Screenshot::meanBrightness(int x0, int y0, int x1, int y1) const {
    double sum = 0;
    int count = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            Pixel p = at(x, y);
            sum += (p.r + p.g + p.b) / 3.0;
            ++count;
        }
    return count ? sum / count : 0;
}

Screenshot screenshot(const std::string& pngPath) {
    Screenshot shot;
    if (windowId.empty()) return shot;
    run("import -window " + windowId + " " + pngPath + " 2>/dev/null");
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, pngPath.c_str())) return shot;
    image.format = PNG_FORMAT_RGB;
    shot.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, shot.rgb.data(), 0, nullptr)) return shot;
    shot.width = static_cast<int>(image.width);
    shot.height = static_cast<int>(image.height);
    return shot;
}

}  // namespace xdriver
