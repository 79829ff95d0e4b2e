#pragma once
#include <cstdint>

#include "rules/board.h"
#include "rules/config_file.h"
#include "rules/highscore_records.h"
#include "rules/png_image.h"

struct FSOUND_SAMPLE;
struct FSOUND_STREAM;

struct SDL_Surface;

constexpr int kKeyTableSize = 323;  // SDL 1.2's key symbols, SDLK_LAST
constexpr int kTextureTableSize = 30;
constexpr int kEscapeKey = 27;

enum ScreenCode : int32_t { MenuScreen = 1, GameScreen = 2 };
enum MenuPage : int32_t { MainMenuPage = 1, OptionsPage = 2 };

struct GameState {
    HighscoreStore highscores;
    PngImage pngImage;

    uint32_t* textures;
    uint8_t keyDown[kKeyTableSize];
    SDL_Surface* screenSurface;
    int32_t windowWidth;
    int32_t windowHeight;
    int32_t boardColumns;
    int32_t boardRows;
    int32_t cursorColumn;
    int32_t cursorRow;
    int32_t keyLatch;
    ConfigRecord config;
    uint32_t score;
    int32_t blocksDestroyed;
    int32_t removedByKind[10];
    uint32_t timeLeftMs;
    uint32_t lastTick;
    uint32_t elapsedMs;
    int32_t pendingDrops;
    bool timeUp;
    int32_t screen;
    int32_t menuPage;
    int32_t paused;
    int32_t quitRequested;

    Board board;
    uint8_t soundEnabled;
    FSOUND_SAMPLE* boomSample;
    FSOUND_SAMPLE* menuClickSample;
    FSOUND_SAMPLE* optionClickSample;
    FSOUND_STREAM* gameMusicStream;
    FSOUND_STREAM* menuMusicStream;
    int32_t musicChannel;
    uint32_t displayListBase;
    uint32_t fontListBase;
    int32_t mouseX;
    int32_t mouseY;
    int32_t clickLatch;
    bool nameEntryActive;
};

extern GameState gameState;

void initSceneVariables(GameState& state);

// Records a key event in the key table; symbols outside it are ignored.
void setKeyDown(int symbol, uint8_t value);
