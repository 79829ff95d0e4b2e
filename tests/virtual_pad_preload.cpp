// Loaded into the real game with LD_PRELOAD: a game controller beneath
// sdl12-compat, SDL 2's own virtual one, moved at the test's word. The test
// appends lines to $QUADRUNE_PAD_COMMANDS:
//   attach           plugs the controller in
//   gamecontroller   starts SDL 2's game-controller part, so that
//                    sdl12-compat also sends the controller's events
//   button N V       sets button N (SDL 2's game-controller layout) to V
//   axis N V         sets axis N to V
// and reads back $QUADRUNE_PAD_STATUS, rewritten whenever it changes:
//   commands C at R reads R listings L quits Q pads P
// where C commands were carried out, the last when the game had read the
// controllers R times; L and Q count starts and stops of SDL 1.2's joystick
// part, and P is how many controllers its last start listed.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
constexpr Uint32 kSdl2Joystick = 0x200, kSdl2GameController = 0x2000;
constexpr int kSdl2JoystickTypeGameController = 1;
// Every button and axis SDL 2 gives a game controller, in its order.
constexpr int kButtons = 15, kAxes = 6;

struct Status {
    int commands = 0, at = 0, reads = 0, listings = 0, quits = 0, pads = 0;
} status;
long commandsRead = 0;  // bytes of the command file taken
void* pad = nullptr;    // SDL 2's handle of the virtual controller

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

template <typename F>
F sdl2(const char* name) {
    static void* library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD);
    return library ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
}

void writeStatus() {
    const char* path = std::getenv("QUADRUNE_PAD_STATUS");
    if (!path) return;
    std::string temporary = std::string(path) + ".tmp";
    FILE* out = std::fopen(temporary.c_str(), "w");
    if (!out) return;
    std::fprintf(out, "commands %d at %d reads %d listings %d quits %d pads %d\n", status.commands, status.at,
                 status.reads, status.listings, status.quits, status.pads);
    std::fclose(out);
    std::rename(temporary.c_str(), path);
}

void attach() {
    // A hold of SDL 2's joystick part of our own keeps the controller
    // plugged in while the game stops and starts its part.
    sdl2<int (*)(Uint32)>("SDL_InitSubSystem")(kSdl2Joystick);
    int index = sdl2<int (*)(int, int, int, int)>("SDL_JoystickAttachVirtual")(kSdl2JoystickTypeGameController, kAxes,
                                                                               kButtons, 0);
    pad = index < 0 ? nullptr : sdl2<void* (*)(int)>("SDL_JoystickOpen")(index);
    if (!pad) std::fprintf(stderr, "virtual pad: not attached\n");
}

void carryOut(const char* line) {
    int index = 0, value = 0;
    if (std::strcmp(line, "attach") == 0) {
        attach();
    } else if (std::strcmp(line, "gamecontroller") == 0) {
        sdl2<int (*)(Uint32)>("SDL_InitSubSystem")(kSdl2GameController);
    } else if (std::sscanf(line, "button %d %d", &index, &value) == 2 && pad) {
        sdl2<int (*)(void*, int, Uint8)>("SDL_JoystickSetVirtualButton")(pad, index, Uint8(value));
    } else if (std::sscanf(line, "axis %d %d", &index, &value) == 2 && pad) {
        sdl2<int (*)(void*, int, Sint16)>("SDL_JoystickSetVirtualAxis")(pad, index, Sint16(value));
    } else {
        std::fprintf(stderr, "virtual pad: what is '%s'?\n", line);
    }
    ++status.commands;
    status.at = status.reads;
}

// Only whole lines: the test may be halfway through writing the next.
void takeCommands() {
    const char* path = std::getenv("QUADRUNE_PAD_COMMANDS");
    FILE* in = path ? std::fopen(path, "r") : nullptr;
    if (!in) return;
    std::fseek(in, commandsRead, SEEK_SET);
    char line[128];
    bool took = false;
    while (std::fgets(line, sizeof line, in) && std::strchr(line, '\n')) {
        commandsRead += long(std::strlen(line));
        *std::strchr(line, '\n') = '\0';
        carryOut(line);
        took = true;
    }
    std::fclose(in);
    if (took) writeStatus();
}
}  // namespace

extern "C" int SDL_InitSubSystem(Uint32 flags) {
    if (flags & SDL_INIT_JOYSTICK) takeCommands();  // a controller there from the start is listed
    int result = real<int (*)(Uint32)>("SDL_InitSubSystem")(flags);
    if (flags & SDL_INIT_JOYSTICK) ++status.listings, status.pads = SDL_NumJoysticks(), writeStatus();
    return result;
}

extern "C" void SDL_QuitSubSystem(Uint32 flags) {
    if (flags & SDL_INIT_JOYSTICK) ++status.quits, writeStatus();
    real<void (*)(Uint32)>("SDL_QuitSubSystem")(flags);
}

extern "C" int SDL_PollEvent(SDL_Event* event) {
    takeCommands();
    return real<int (*)(SDL_Event*)>("SDL_PollEvent")(event);
}

extern "C" void SDL_JoystickUpdate(void) {
    real<void (*)()>("SDL_JoystickUpdate")();
    ++status.reads;
    writeStatus();
}
