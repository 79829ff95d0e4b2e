#include "game_driver.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include <cstdlib>
#include <cstring>

#include "test_support.h"

ProgramRun::ProgramRun(std::vector<std::string> argv, const std::map<std::string, std::string>& env,
                       const std::string& workDir) {
    name_ = argv[0].substr(argv[0].rfind('/') + 1);
    std::remove((name_ + ".out").c_str());  // an earlier run's output must not be read as this one's
    pid_ = fork();
    if (pid_ != 0) return;
    setpgid(0, 0);
    dup2(open((name_ + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    dup2(open((name_ + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    for (const auto& [name, value] : env) value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
    if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(127);
    std::vector<char*> args;
    for (std::string& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

ProgramRun::~ProgramRun() { stop(SIGKILL); }

void ProgramRun::stop(int signal) {
    if (running()) kill(-pid_, signal), waitpid(pid_, nullptr, 0), ended_ = true;
}

bool ProgramRun::running() {
    int status = 0;
    if (!ended_ && waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return !ended_;
}

int ProgramRun::waitForExit(int timeoutMs) {
    waitFor([this] { return !running(); }, timeoutMs);
    return ended_ ? exitCode_ : -1;
}

bool ProgramRun::waitForOutput(const std::string& text, int timeoutMs) {
    return waitFor([&] { return out().find(text) != std::string::npos || !running(); }, timeoutMs) &&
           out().find(text) != std::string::npos;
}

std::string ProgramRun::out() const {
    auto bytes = readFileBytes(name_ + ".out");
    return {bytes.begin(), bytes.end()};
}

std::string ProgramRun::err() const {
    auto bytes = readFileBytes(name_ + ".err");
    return {bytes.begin(), bytes.end()};
}

namespace {
long pidOf(Display* display, Window window) {
    Atom type;
    int format;
    unsigned long count, left;
    unsigned char* data = nullptr;
    Atom property = XInternAtom(display, "_NET_WM_PID", False);
    long pid = -1;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type, &format, &count, &left,
                           &data) == Success && data && count == 1)
        pid = *reinterpret_cast<long*>(data);
    if (data) XFree(data);
    return pid;
}

Window windowOf(Display* display, Window parent, pid_t pid) {
    Window root, up, *children = nullptr, found = 0;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (pidOf(display, children[i]) == pid && XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable)
            found = children[i];
        else
            found = windowOf(display, children[i], pid);
    }
    if (children) XFree(children);
    return found;
}
}  // namespace

GameWindow::GameWindow() = default;

GameWindow::~GameWindow() { letGo(); }

void GameWindow::letGo() {
    if (display_) XCloseDisplay(display_);
    display_ = nullptr;
}

bool GameWindow::find(pid_t pid, int timeoutMs) {
    if (!display_) display_ = XOpenDisplay(nullptr);  // the test's own display, once it runs
    // The window goes when the game ends; what was asked of it then is moot.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    if (!display_) return false;
    waitFor([&] { return (window_ = windowOf(display_, DefaultRootWindow(display_), pid)) != 0; }, timeoutMs);
    if (!window_) return false;
    // No window manager runs here: give the window the keyboard.
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    int damageError = 0;
    if (XDamageQueryExtension(display_, &damageEvent_, &damageError))
        damage_ = XDamageCreate(display_, window_, XDamageReportNonEmpty);
    XSync(display_, False);
    return true;
}

Shot GameWindow::shot() const {
    Shot shot;
    XWindowAttributes attributes;
    if (!window_ || !XGetWindowAttributes(display_, window_, &attributes)) return shot;
    XImage* image = XGetImage(display_, window_, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image) return shot;
    shot.width = image->width;
    shot.height = image->height;
    shot.rgb.reserve(static_cast<size_t>(shot.width) * shot.height * 3);
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            unsigned long p = XGetPixel(image, x, y);
            shot.rgb.insert(shot.rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
        }
    XDestroyImage(image);
    return shot;
}

void GameWindow::moveMouse(int x, int y) {
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display_, -1, rootX, rootY, CurrentTime);
    XSync(display_, False);
}

void GameWindow::button(bool down) {
    XTestFakeButtonEvent(display_, 1, down, CurrentTime);
    XSync(display_, False);
}

void GameWindow::key(const char* keysym, bool down) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, XStringToKeysym(keysym)), down, CurrentTime);
    XSync(display_, False);
}

Shot GameWindow::waitForShot(const Shows& shows, int timeoutMs) const {
    Shot last;
    waitFor([&] { return shows(last = shot()); }, timeoutMs);
    return last;
}

bool GameWindow::waitStill(Area area, Shot& last, int timeoutMs) const {
    last = shot();
    auto taken = std::chrono::steady_clock::now();
    return waitFor([&] {
        if (std::chrono::steady_clock::now() - taken < std::chrono::milliseconds(500)) return false;
        Shot next = shot();
        bool still = next.sameIn(last, area);
        last = std::move(next);
        taken = std::chrono::steady_clock::now();
        return still;
    }, timeoutMs);
}

bool GameWindow::press(const char* keysym, const Shows& shows, int timeoutMs) {
    key(keysym, true);
    bool seen = shows(waitForShot(shows, timeoutMs));
    key(keysym, false);
    return seen;
}

bool GameWindow::click(int x, int y, const Shows& shows) {
    moveMouse(x, y);
    settle();  // the last release taken on its own, or the latch stays
    button(true);
    bool seen = holdUntil(shows, x, y);
    button(false);
    return seen;
}

// The menu draws only as events come, and a press may show only on the
// next frame: a pixel's nudge now and then while held brings it.
bool GameWindow::holdUntil(const Shows& shows, int x, int y) {
    auto nudged = std::chrono::steady_clock::now();
    int nudges = 0;
    return waitFor([&] {
        if (shows(shot())) return true;
        if (std::chrono::steady_clock::now() - nudged > std::chrono::milliseconds(100))
            moveMouse(x + ++nudges % 2, y), nudged = std::chrono::steady_clock::now();
        return false;
    }, 5000);
}

// Long quiet after a redraw: the menu, drawn once an event, has then
// taken every event sent before.
void GameWindow::settle() {
    waitFor([&] {
        forgetRedraws();
        return !waitForRedraw(300);
    }, 3000);
}

void GameWindow::forgetRedraws() {
    if (!damage_) return;
    XDamageSubtract(display_, damage_, None, None);
    XSync(display_, False);
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
    }
}

bool GameWindow::waitForRedraw(int timeoutMs) {
    if (!damage_) return false;
    return waitFor([&] {
        for (XEvent event; XPending(display_);)
            if (XNextEvent(display_, &event), event.type == damageEvent_ + XDamageNotify) return true;
        return false;
    }, timeoutMs);
}

bool GameWindow::close() {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window_;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    bool sent = XSendEvent(display_, window_, False, NoEventMask, &event) != 0;
    XSync(display_, False);
    return sent;
}
