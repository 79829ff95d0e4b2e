#pragma once

// One pass of the options page: each line's click, then its text.
void runOptionsStep(bool leftButtonDown);
