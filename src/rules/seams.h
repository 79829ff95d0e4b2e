#pragma once
#include <cstdint>

union SDL_Event;

struct PadReading;
struct FSOUND_SAMPLE;
struct FSOUND_STREAM;

// SDL's event queue, mouse, clocks, buffer swap and the random generator.
struct PlatformHooks {
    int (*pollEvent)(SDL_Event* event);
    uint8_t (*getMouseState)(int* x, int* y);
    uint32_t (*getTicks)();
    void (*delay)(uint32_t ms);
    void (*swapBuffers)();
    int (*random)();
    void (*seedRandom)(unsigned seed);
    uint32_t (*secondsNow)();  // the wall clock, which seeds each game
    // Looks for a controller plugged in while none is open; called every
    // pass of the main loop, it spaces its own looks out.
    void (*watchControllers)();
    // The open controllers' buttons and left stick as they are now; false
    // while none is open. The game makes its presses from the changes, as
    // not every SDL sends a controller's events.
    bool (*readController)(PadReading* now);
    // Switches between the window and full screen; true when it took.
    bool (*setFullScreen)(bool on);
};

// The sound layer's operations (see sound/sound_system.h).
constexpr int kAnyFreeChannel = -1;  // FSOUND_FREE
struct SoundApi {
    float (*getVersion)();
    signed char (*setMixer)(int mixer);
    signed char (*init)(int mixRate, int maxSoftwareChannels, unsigned flags);
    int (*getError)();
    FSOUND_STREAM* (*streamOpen)(const char* name, unsigned mode, int offset, int length);
    FSOUND_SAMPLE* (*sampleLoad)(int index, const char* name, unsigned mode, int offset, int length);
    signed char (*sampleSetMode)(FSOUND_SAMPLE* sample, unsigned mode);
    int (*streamPlay)(int channel, FSOUND_STREAM* stream);
    signed char (*streamStop)(FSOUND_STREAM* stream);
    int (*playSound)(int channel, FSOUND_SAMPLE* sample);
    void (*sampleFree)(FSOUND_SAMPLE* sample);
    void (*close)();
};

// The network as the highscore screen reaches it: the score upload, and
// where the upload draws its prompts.
struct UploadHooks {
    int (*submit)(const char* host, int port);
    void (*drawText)(const char* text, int x, int y);
    // The web domain the prompt names and the requests' Host line carries.
    const char* (*domain)();
};

// Everything outside the game's own rules reaches it through this one
// table, so a test scripts any of it with one SeamOverride. Its defaults,
// the real SDL, sound device and network, are filled in on the top floor.
struct Seams {
    PlatformHooks platform;
    SoundApi sound;
    UploadHooks upload;
};
extern Seams seams;

// While it lives, entries of `seams` may be replaced; the whole table is
// restored when it goes.
class SeamOverride {
public:
    SeamOverride() : saved_(seams) {}
    ~SeamOverride() { seams = saved_; }
    SeamOverride(const SeamOverride&) = delete;
    SeamOverride& operator=(const SeamOverride&) = delete;

private:
    Seams saved_;
};

// One event as the screens see it. The key symbol is read as a plain
// number, never trusted to be one of SDLKey's values. Replays store the
// kinds by number: new kinds go at the end.
struct InputEvent {
    enum Kind { KeyDown, KeyUp, Quit, Other, ButtonDown, ButtonUp, FocusLost } kind = Other;
    int symbol = 0;  // the key for KeyDown and KeyUp, the PadButton for ButtonDown and ButtonUp
};
constexpr InputEvent::Kind kLastInputKind = InputEvent::FocusLost;
// The next queued event, or false when the queue is empty. Every screen
// reads its events here.
bool readEvent(InputEvent& event);
InputEvent inputEventOf(const SDL_Event& raw);
PlatformHooks defaultPlatformHooks();
// Opens every controller there is, sdl12-compat's mapping turned on unless
// the player set it; the real watchControllers finds later ones.
void startControllers();
// For SIGTERM and SIGHUP: the real event queue then leads every screen to
// close as the player would close it, and the program to end.
void requestEnd(int signal);

inline bool setFullScreen(bool on) { return seams.platform.setFullScreen(on); }
inline int pollEvent(SDL_Event* event) { return seams.platform.pollEvent(event); }
inline uint8_t getMouseState(int* x, int* y) { return seams.platform.getMouseState(x, y); }
inline uint32_t getTicks() { return seams.platform.getTicks(); }
inline void delayMs(uint32_t ms) { seams.platform.delay(ms); }
inline void swapBuffers() { seams.platform.swapBuffers(); }
inline int gameRand() { return seams.platform.random(); }
inline void seedRand(unsigned seed) { seams.platform.seedRandom(seed); }
