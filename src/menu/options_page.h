#pragma once

enum class MenuMove;

// One pass of the options page: each line's click or key, then its text.
void runOptionsStep(bool leftButtonDown, MenuMove move);
