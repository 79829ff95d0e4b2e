#pragma once

// The menu's pickable items; the numbers double as their selection names.
enum MenuItem : unsigned { NoMenuItem = 0, ExitItem = 1, PlayItem = 2, OptionsItem = 3, LogoItem = 4 };

void drawMenuBackground();
// 0 draws every item; 1..3 draws only that item again, brightened.
void drawMenuItems(unsigned highlight);
// The item under mouseX/mouseY, or 0. Draws nothing visible.
unsigned pickMenuItem();
