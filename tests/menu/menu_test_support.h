#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "base/game_state.h"
#include "sound/sound_system.h"
#include "menu/menu_screen.h"
#include "recording_sound.h"
#include "scripted_platform.h"

// Fake sound handles: distinct addresses, never dereferenced.
inline char menuFakeHandles[4];

inline std::string menuHandleText(const void* p) { return std::to_string(reinterpret_cast<uintptr_t>(p)); }
inline std::string optionClickCall() { return "PlaySound -1 " + menuHandleText(&menuFakeHandles[0]); }
inline std::string menuClickCall() { return "PlaySound -1 " + menuHandleText(&menuFakeHandles[1]); }
inline std::string menuMusicHandle() { return menuHandleText(&menuFakeHandles[2]); }
inline std::string gameMusicHandle() { return menuHandleText(&menuFakeHandles[3]); }

// The menu state as start-up leaves it, with the default settings.
inline void resetMenuState() {
    std::memset(gameState.keyDown, 0, sizeof gameState.keyDown);
    std::memset(&gameState.config, 0, sizeof gameState.config);
    applyConfigDefaults();
    gameState.screen = MenuScreen;
    gameState.menuPage = MainMenuPage;
    gameState.quitRequested = 0;
    gameState.keyLatch = 0;
    gameState.clickLatch = 0;
    gameState.nameEntryActive = false;
    gameState.mouseX = gameState.mouseY = 0;
    gameState.musicChannel = 0;
    gameState.optionClickSample = reinterpret_cast<FSOUND_SAMPLE*>(&menuFakeHandles[0]);
    gameState.menuClickSample = reinterpret_cast<FSOUND_SAMPLE*>(&menuFakeHandles[1]);
    gameState.menuMusicStream = reinterpret_cast<FSOUND_STREAM*>(&menuFakeHandles[2]);
    gameState.gameMusicStream = reinterpret_cast<FSOUND_STREAM*>(&menuFakeHandles[3]);
}

// One menu pass with the pointer at (x, y) and the left button as given.
inline void menuPassAt(ScriptedPlatform& platform, int x, int y, bool leftDown) {
    platform.mouseX = x;
    platform.mouseY = y;
    platform.mouseButtons = leftDown ? SDL_BUTTON(1) : 0;
    platform.pushMotion();
    runMenuFrame();
}

// A full click: press, then release, each as one pass.
inline void menuClickAt(ScriptedPlatform& platform, int x, int y) {
    menuPassAt(platform, x, y, true);
    menuPassAt(platform, x, y, false);
}
