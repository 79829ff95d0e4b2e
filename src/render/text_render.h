#pragma once

void drawBitmapText(const char* text);
void drawText(const char* text, int x, int y);
void drawTextTinted(const char* text, int x, int y, float red, float green, float blue);
int buildFontLists();
void showLoadingScreen(const char* line1, const char* line2);
