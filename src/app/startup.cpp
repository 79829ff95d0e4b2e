#include "app/startup.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/replay_recorder.h"
#include "platform/window_scale.h"
#include "render/bitmap_font_init.h"
#include "rules/config_file.h"
#include "rules/game_state.h"
#include "rules/seams.h"
#include "platform/player_dir.h"
#include "sound/sound_system.h"
#include "game/game_screen.h"
#include "menu/menu_screen.h"
#include "render/scene.h"
#include "render/text_render.h"
#include "scores/highscore_screen.h"
#include "scores/highscore_table.h"

namespace {
constexpr uint32_t kFrameMs = 50;
const char* const kLoading = "Loading..";
const char* const kWindowCaption = "Quadrune 0.145a - 04.02.2006";
const char* const kIconCaption = "Quadrune";
constexpr int kMixRate = 44100;
constexpr int kSoundChannels = 32;

// The game's sounds, in the order they load.
struct SoundFiles {
    const char* gameMusic;
    const char* menuMusic;
    const char* boom;
    const char* menuClick;
    const char* optionClick;
};
constexpr SoundFiles kSoundFiles = {"data/audio/muzaik.mp3", "data/audio/menumusa.ogg", "data/audio/boom.mp3",
                                    "data/audio/pilip.ogg", "data/audio/plip2.ogg"};

void line(const char* text) { std::printf("%s\n", text); }

// sdl12-compat falls back to drivers that show nothing; only accept those
// when the player asked for them by name.
bool videoDriverShowsWindow() {
    char name[64] = "";
    if (!SDL_VideoDriverName(name, sizeof name)) return false;
    if (std::strcmp(name, "offscreen") != 0 && std::strcmp(name, "dummy") != 0) return true;
    const char* requested = std::getenv("SDL_VIDEODRIVER");
    return requested && std::strcmp(requested, name) == 0;
}

void openWindow(GameState& state) {
    line("\nInitializing SDL..");
    SDL_Init(SDL_INIT_VIDEO);
    line("Setting SDL attribs..");
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    chooseWindowScale(state.windowWidth, state.windowHeight);
    state.screenSurface = SDL_SetVideoMode(state.windowWidth, state.windowHeight, 0, SDL_OPENGL);
    SDL_WM_SetCaption(kWindowCaption, kIconCaption);
    if (state.screenSurface && !videoDriverShowsWindow()) {
        SDL_SetError("no display to show the window on");
        state.screenSurface = nullptr;
    }
    if (!state.screenSurface) {
        std::fflush(stdout);
        std::fprintf(stderr, "Couldn't set %dx%d GL video mode: %s\n", state.windowWidth,
                     state.windowHeight, SDL_GetError());
        SDL_Quit();
        std::exit(2);
    }
    int depth = 0;
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    std::printf("Depth buffer depth : %d\n", depth);
    if (state.config.fullScreen == 1) setFullScreen(true);
    startControllers();
}

void announceSoundFile(const char* path) {
    char text[96];
    std::snprintf(text, sizeof text, "Sound system..%s..", path);
    showLoadingScreen(kLoading, text);
}

void reportSoundFailure(GameState& state) {
    std::printf("samp1: %s\n", FMOD_ErrorString(FSOUND_GetError()));
    state.soundEnabled = 0;
}

void loadSoundFiles(GameState& state) {
    announceSoundFile(kSoundFiles.gameMusic);
    std::printf("\nLoading %s..", kSoundFiles.gameMusic);
    state.gameMusicStream = FSOUND_Stream_Open(kSoundFiles.gameMusic, FSOUND_LOOP_NORMAL, 0, 0);
    line("..done.");
    if (!state.gameMusicStream) reportSoundFailure(state);

    announceSoundFile(kSoundFiles.menuMusic);
    state.menuMusicStream = FSOUND_Stream_Open(kSoundFiles.menuMusic, FSOUND_LOOP_NORMAL, 0, 0);

    announceSoundFile(kSoundFiles.boom);
    state.boomSample = FSOUND_Sample_Load(FSOUND_FREE, kSoundFiles.boom, FSOUND_STEREO, 0, 0);
    line("..done.");
    if (!state.boomSample) reportSoundFailure(state);

    announceSoundFile(kSoundFiles.menuClick);
    state.menuClickSample = FSOUND_Sample_Load(FSOUND_FREE, kSoundFiles.menuClick, FSOUND_STEREO, 0, 0);
    announceSoundFile(kSoundFiles.optionClick);
    state.optionClickSample = FSOUND_Sample_Load(FSOUND_FREE, kSoundFiles.optionClick, FSOUND_STEREO, 0, 0);
}
}  // namespace

void startSoundSystem(GameState& state) {
    line("\nSound system turn on!..");
    if (FSOUND_GetVersion() < kRequiredSoundVersion) {
        std::printf("Error : You are using the wrong DLL version!  You should be using FMOD %.02f\n",
                    static_cast<double>(kRequiredSoundVersion));
        state.soundEnabled = 0;
    }
    bool started = false;
    if (state.soundEnabled) {
        FSOUND_SetMixer(0);
        started = FSOUND_Init(kMixRate, kSoundChannels, 0) != 0;
    }
    if (!state.soundEnabled || !started) {
        std::printf("Init: %s\n", FMOD_ErrorString(FSOUND_GetError()));
        state.soundEnabled = 0;
    }
    if (state.soundEnabled) loadSoundFiles(state);
    if (!state.soundEnabled) return;
    FSOUND_Sample_SetMode(state.menuClickSample, FSOUND_LOOP_OFF);
    FSOUND_Sample_SetMode(state.optionClickSample, FSOUND_LOOP_OFF);
    FSOUND_Sample_SetMode(state.boomSample, FSOUND_LOOP_OFF);
    if (state.config.musicOn) state.musicChannel = FSOUND_Stream_Play(FSOUND_FREE, state.menuMusicStream);
}

void connectScreens() {
    showGameResults = [](int mode) {
        finishRecordedGame();
        showHighscores(mode, insertHighscore(mode));
    };
}

void runStartup(GameState& state, int* argc, char** argv) {
    enterPlayerDir();
    connectScreens();
    loadConfig();
    loadHighscores(state.highscores);
    initBitmapFont(argc, argv);
    state.soundEnabled = 1;
    line("\nInitializing Scene Variables..");
    initSceneVariables(state);
    openWindow(state);
    resizeScene(state, state.windowWidth, state.windowHeight);
    showLoadingScreen(kLoading, " ");
    loadScene(state, state.windowWidth, state.windowHeight);
    showLoadingScreen(kLoading, "Sound system..");
    startSoundSystem(state);
    showLoadingScreen(kLoading, "Menufonts");
    buildFontLists();
    state.quitRequested = 0;
    state.screen = MenuScreen;
    state.menuPage = MainMenuPage;
}

uint32_t frameDelayMs(uint32_t spentMs) { return spentMs < kFrameMs ? kFrameMs - spentMs : 0; }

void runMainLoop(GameState& state) {
    do {
        uint32_t start = getTicks();
        seams.platform.watchControllers();  // inside the pass, so its sleep makes up for the look
        if (state.screen == GameScreen) {
            runGameFrame(state);
        } else if (state.screen == MenuScreen) {
            runMenuFrame();
        }
        delayMs(frameDelayMs(getTicks() - start));
    } while (state.quitRequested == 0);
}

void shutdownGame(GameState& state, bool keepHighscores) {
    if (keepHighscores) saveHighscores();
    if (!state.soundEnabled) return;
    FSOUND_Sample_Free(state.boomSample);
    FSOUND_Sample_Free(state.menuClickSample);
    FSOUND_Close();
}
