#pragma once

// When the X server goes away under the game (the session ends, the server
// crashes), Xlib gives up on the connection. The game then enters the result
// of a game in progress, saves the highscores unless only watching, and ends
// with code 1 at once: nothing can be drawn any more, and a normal exit would
// run SDL's clean-up against the dead connection.
void endWithTheDisplay(bool keepHighscores);
