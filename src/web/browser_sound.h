#pragma once
#include "rules/seams.h"

// The game's own mixer on the game's thread, its output queued to Web
// Audio a little ahead of the page's clock. The page makes the audio
// context on the player's first click or key, as browsers require.
SoundApi browserSoundApi();
// Decodes the playing music ahead and mixes until the queue holds enough.
void pumpBrowserSound();
