#include "app/replay_playback.h"

#include <SDL.h>

#include <cstring>

#include "rules/game_state.h"
#include "rules/seams.h"
#include "game/game_screen.h"
#include "rules/replay_check.h"
#include "sound/sound_system.h"

namespace {
constexpr uint32_t kFrameMs = 50;
constexpr uint32_t kFastFrameMs = kFrameMs / 4;

// The replay's frames fed to the game through the seams, one per pass of
// the main loop; the viewer's own keys steer the pace.
struct Playback {
    Replay replay;
    PlatformHooks real{};
    size_t frame = 0;     // the frame being played
    size_t tickAt = 0;    // the next reading of all frames
    size_t tickEnd = 0;   // the end of the frame's readings
    size_t eventAt = 0;
    size_t eventEnd = 0;
    uint32_t lastTick = 0;
    bool paused = false;
    bool fast = false;
};
Playback playback;

void enterFrame(size_t frame) {
    const ReplayFrames& f = playback.replay.frames;
    playback.frame = frame;
    if (frame >= f.size()) return;
    playback.tickEnd = playback.tickAt + f.tickCounts[frame];
    playback.eventEnd = playback.eventAt + f.eventCounts[frame];
}

// P pauses, Right plays fast while held, Escape or closing the window leaves.
void readViewerEvents() {
    SDL_Event raw;
    while (playback.real.pollEvent(&raw)) {
        InputEvent event = inputEventOf(raw);
        if (event.kind == InputEvent::Quit || (event.kind == InputEvent::KeyDown && event.symbol == SDLK_ESCAPE))
            gameState.quitRequested = 1, playback.paused = false;
        if (event.kind == InputEvent::KeyDown && event.symbol == SDLK_p) playback.paused = !playback.paused;
        if (event.symbol == SDLK_RIGHT) playback.fast = event.kind == InputEvent::KeyDown;
    }
}

uint32_t playedTicks() {
    if (playback.tickAt < playback.tickEnd) playback.lastTick = playback.replay.frames.ticks[playback.tickAt++];
    return playback.lastTick;
}

// A recorded event made again as SDL made it, for the screens to read.
void remake(const InputEvent& event, SDL_Event* raw) {
    std::memset(raw, 0, sizeof *raw);
    switch (event.kind) {
        case InputEvent::Quit:
            raw->type = SDL_QUIT;
            break;
        case InputEvent::ButtonDown:
        case InputEvent::ButtonUp:
            raw->type = event.kind == InputEvent::ButtonDown ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
            raw->jbutton.button = static_cast<Uint8>(event.symbol);
            break;
        case InputEvent::FocusLost:
            raw->type = SDL_ACTIVEEVENT;
            raw->active.state = SDL_APPINPUTFOCUS;
            break;
        default:
            raw->type = event.kind == InputEvent::KeyDown ? SDL_KEYDOWN : SDL_KEYUP;
            raw->key.keysym.sym = static_cast<SDLKey>(event.symbol);
    }
}

int playedEvents(SDL_Event* raw) {
    readViewerEvents();
    if (playback.eventAt >= playback.eventEnd) return 0;
    remake(playback.replay.frames.events[playback.eventAt++], raw);
    return 1;
}

// Each pass sleeps its real share, longer while paused; the next reading
// begins the next frame.
void playedDelay(uint32_t) {
    playback.real.delay(playback.fast ? kFastFrameMs : kFrameMs);
    while (playback.paused && !gameState.quitRequested) readViewerEvents(), playback.real.delay(kFrameMs);
    playback.tickAt = playback.tickEnd;
    playback.eventAt = playback.eventEnd;
    enterFrame(playback.frame + 1);
}

uint32_t replaySeed() { return playback.replay.seed; }
}  // namespace

void startPlayback(const Replay& replay) {
    playback = Playback{};
    playback.replay = replay;
    playback.real = seams.platform;
    seams.platform.getTicks = playedTicks;
    seams.platform.pollEvent = playedEvents;
    seams.platform.delay = playedDelay;
    seams.platform.secondsNow = replaySeed;
    showGameResults = [](int) { gameState.quitRequested = 1; };

    takeOverReplayStart(gameState, replay);
    if (gameState.config.musicOn) {
        FSOUND_Stream_Stop(gameState.menuMusicStream);
        gameState.musicChannel = FSOUND_Stream_Play(FSOUND_FREE, gameState.gameMusicStream);
    }
    startNewGame(gameState);
    gameState.screen = GameScreen;
    enterFrame(0);
}
