#include "window_manager.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <map>

namespace {
constexpr long kRemove = 0, kAdd = 1, kToggle = 2;

struct Place {
    int x, y, width, height;
};

Place placeOf(Display* display, Window window) {
    XWindowAttributes a{};
    XGetWindowAttributes(display, window, &a);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return {x, y, a.width, a.height};
}

void setState(Display* display, Window window, bool fullScreen) {
    Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    Atom full = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&full),
                    fullScreen ? 1 : 0);
}
}  // namespace

FullScreenWindowManager::FullScreenWindowManager() : display_(XOpenDisplay(nullptr)) {
    if (!display_) return;
    XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    XSync(display_, False);
    thread_ = std::thread([this] { run(); });
}

FullScreenWindowManager::~FullScreenWindowManager() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (display_) XCloseDisplay(display_);
}

void FullScreenWindowManager::run() {
    Atom state = XInternAtom(display_, "_NET_WM_STATE", False);
    Atom full = XInternAtom(display_, "_NET_WM_STATE_FULLSCREEN", False);
    std::map<Window, Place> windowed;  // where each full-screen window was
    while (!stop_) {
        if (!XPending(display_)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type != ClientMessage || event.xclient.message_type != state) continue;
        const long* l = event.xclient.data.l;
        if (Atom(l[1]) != full && Atom(l[2]) != full) continue;
        Window window = event.xclient.window;
        bool isFull = windowed.count(window) != 0;
        bool wantFull = l[0] == kAdd || (l[0] == kToggle && !isFull);
        if (l[0] == kRemove) wantFull = false;
        if (wantFull == isFull) continue;
        if (wantFull) {
            windowed[window] = placeOf(display_, window);
            Screen* screen = DefaultScreenOfDisplay(display_);
            XMoveResizeWindow(display_, window, 0, 0, WidthOfScreen(screen), HeightOfScreen(screen));
        } else {
            Place was = windowed[window];
            windowed.erase(window);
            XMoveResizeWindow(display_, window, was.x, was.y, was.width, was.height);
        }
        setState(display_, window, wantFull);
        XSync(display_, False);
    }
}
