#pragma once

// The menus answer the keyboard and a controller as well as the mouse: a
// highlighted item moves with up and down and is chosen with Return (South
// on a pad); on the options page left and right change its value. The
// highlight shows from the first such key until the pointer moves.
enum class MenuMove { None, Up, Down, Left, Right, Choose };

struct KeySelection {
    bool shown = false;
    unsigned mainItem = 2;  // PlayItem
    int optionRow = 0;
    int mouseX = 0, mouseY = 0;  // the pointer's place when a key last acted
};
extern KeySelection keySelection;

// A controller button as the menu key it stands for, or -1.
int menuKeyForButton(int button);
// What a key asks of the highlight; None for every other key.
MenuMove menuMoveFor(int key);
// Shows the highlight after a key, remembering where the pointer is.
void showKeySelection();
// The pointer moved since: the mouse leads again.
void followPointer();
