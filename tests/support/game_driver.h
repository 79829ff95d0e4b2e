#pragma once
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "picture.h"

// A real program (the game unless named), started in the working directory
// with its output going to <name>.out and <name>.err there; killed with its
// group when dropped. An empty value in env unsets that variable. A workDir
// starts the program there; its output still goes here.
class ProgramRun {
public:
    explicit ProgramRun(const std::map<std::string, std::string>& env = {}) : ProgramRun({QUADRUNE_BINARY}, env) {}
    ProgramRun(std::vector<std::string> argv, const std::map<std::string, std::string>& env,
               const std::string& workDir = "");
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    void stop(int signal);  // and waits for the end
    int waitForExit(int timeoutMs);  // the exit code, or -1
    bool waitForOutput(const std::string& text, int timeoutMs);
    std::string out() const;
    std::string err() const;

private:
    std::string name_;
    pid_t pid_ = -1;
    int exitCode_ = -1;
    bool ended_ = false;
};

// The game's window on this process's own X display, found by the game's
// process id and played through XTEST as a mouse and keyboard would.
class GameWindow {
public:
    GameWindow();
    ~GameWindow();
    bool find(pid_t pid, int timeoutMs);
    Shot shot() const;
    void moveMouse(int x, int y);
    void button(bool down);
    void key(const char* keysym, bool down);
    bool close();  // as a window manager asks
    void letGo();  // closes the connection, as before the X server goes

    using Shows = std::function<bool(const Shot&)>;
    // Presses, waits until the picture shows the press took effect, lets go.
    bool press(const char* keysym, const Shows& shows, int timeoutMs = 5000);
    // Presses once the game has taken every earlier event, holds the button
    // until the picture shows the press took effect, and lets go. The menu
    // reads the button's state as it takes each event: a press and release,
    // or a release and the next press, taken in one look would be lost.
    bool click(int x, int y, const Shows& shows);
    // Waits for a picture that passes `shows`; returns the last one taken.
    Shot waitForShot(const Shows& shows, int timeoutMs = 5000) const;
    // Waits until `area` stays the same over half a second; false when it
    // still changed at the deadline. `last` is the last picture taken.
    bool waitStill(Area area, Shot& last, int timeoutMs) const;

private:
    bool holdUntil(const Shows& shows, int x, int y);
    void settle();
    void forgetRedraws();
    bool waitForRedraw(int timeoutMs);
    struct _XDisplay* display_ = nullptr;
    unsigned long window_ = 0;
    unsigned long damage_ = 0;
    int damageEvent_ = 0;
};
