#include "scripted_seams.h"

ScriptedPlatform* ScriptedPlatform::current = nullptr;
RecordingSound* RecordingSound::current = nullptr;

namespace {
ScriptedPlatform& script() { return *ScriptedPlatform::current; }

int scriptedPoll(SDL_Event* event) {
    PadChange change;
    if (script().events.empty()) {
        if (!script().padFeed.next(change)) return 0;
        *event = SDL_Event{};
        event->type = change.down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
        event->jbutton.button = static_cast<uint8_t>(change.button);
        return 1;
    }
    *event = script().events.front();
    script().events.pop_front();
    return 1;
}
bool scriptedReadController(PadReading* now) {
    ++script().padReadings;
    if (script().padOpen) *now = script().pad;
    return script().padOpen;
}
uint8_t scriptedMouse(int* x, int* y) {
    if (x) *x = script().mouseX;
    if (y) *y = script().mouseY;
    return script().mouseButtons;
}
uint32_t scriptedTicks() { return script().ticks; }
void scriptedDelay(uint32_t ms) {
    script().delays.push_back(ms);
    script().ticks += script().delayMovesClock ? ms : 0;
}
void scriptedSwap() {
    ++script().swaps;
    if (script().onSwap) script().onSwap();
}
int scriptedRandom() {
    ++script().randomCalls;
    if (script().randomValues.empty()) return script().fallbackRandom();
    int value = script().randomValues.front();
    script().randomValues.pop_front();
    return value;
}
void scriptedSeed(unsigned seed) {
    if (script().ownGenerator) script().ownGenerator->seed(seed);
}
uint32_t scriptedSeconds() { return script().seconds; }
void scriptedControllerLook() { ++script().controllerLooks; }
bool scriptedFullScreen(bool on) {
    script().fullScreenAsked.push_back(on);
    return script().fullScreenTakes;
}

void note(const char* call) { RecordingSound::current->calls.push_back(call); }
}  // namespace

ScriptedPlatform::ScriptedPlatform() {
    current = this;
    seams.platform = {scriptedPoll,    scriptedMouse,          scriptedTicks,          scriptedDelay,
                      scriptedSwap,    scriptedRandom,         scriptedSeed,           scriptedSeconds,
                      scriptedControllerLook, scriptedReadController, scriptedFullScreen};
}

ScriptedPlatform::~ScriptedPlatform() {
    current = nullptr;
}

void ScriptedPlatform::push(SDL_EventType type, int symbol) {
    SDL_Event event{};
    event.type = static_cast<uint8_t>(type);
    event.key.keysym.sym = static_cast<SDLKey>(symbol);
    events.push_back(event);
}

void ScriptedPlatform::pushButton(bool down, int button) {
    SDL_Event event{};
    event.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    event.jbutton.button = static_cast<uint8_t>(button);
    event.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    events.push_back(event);
}

void ScriptedPlatform::pressButton(int button) { pushButton(true, button), pushButton(false, button); }

void ScriptedPlatform::pointAt(int x, int y, bool leftDown) {
    mouseX = x, mouseY = y;
    mouseButtons = leftDown ? SDL_BUTTON(1) : 0;
    push(SDL_MOUSEMOTION);
}

void ScriptedPlatform::useGameRandom() {
    ownGenerator = std::make_unique<GameRandom>();
    fallbackRandom = [this] { return ownGenerator->next(); };
}

void ScriptedPlatform::useSeededRandom(uint32_t seed) {
    fallbackRandom = [state = seed]() mutable {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    };
}

RecordingSound::RecordingSound() {
    current = this;
    seams.sound.streamPlay = [](int, FSOUND_STREAM*) { return note("stream play"), 1; };
    seams.sound.streamStop = [](FSOUND_STREAM*) -> signed char { return note("stream stop"), 1; };
    seams.sound.playSound = [](int, FSOUND_SAMPLE*) { return note("play"), 2; };
}

RecordingSound::~RecordingSound() {
    current = nullptr;
}
