#pragma once
#include <map>
#include <string>

// A game controller beneath the real game (tests/virtual_pad_preload.cpp):
// SDL 2's virtual one, plugged in and moved through files in the working
// directory, button and axis numbers in SDL 2's game-controller layout.
class VirtualPad {
public:
    struct Status {
        int commands = 0, at = 0, reads = 0, listings = 0, quits = 0, pads = 0;
    };
    // What the game needs in its environment to carry the controller.
    std::map<std::string, std::string> env(std::map<std::string, std::string> more) const;
    void send(const std::string& command);  // carried out at the game's next look at its events
    Status status() const;
    // Sets a button or axis and waits until the game has read it twice.
    bool set(const char* part, int index, int value, int timeoutMs = 5000);
    bool press(int button) { return set("button", button, 1) && set("button", button, 0); }
    // Out past the stick's threshold and back to the middle.
    bool push(int axis, int value) { return set("axis", axis, value) && set("axis", axis, 0); }
    // Waits while the controller lies idle for `reads` of the game's looks.
    bool idle(int reads, int timeoutMs);

private:
    int sent_ = 0;
};
