#pragma once

void drawBitmapText(const char* text);
void drawText(const char* text, int x, int y);
int buildFontLists();
void showLoadingScreen(const char* line1, const char* line2);
