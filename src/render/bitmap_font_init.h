#pragma once

// Initialises GLUT for its bitmap fonts. freeglut ends the process when no
// X display can be opened, so without one this leaves GLUT alone and the
// start-up goes on to fail the video mode properly.
void initBitmapFont(int* argc, char** argv);
bool bitmapFontReady();
