#pragma once
#include <string>

// The name as it is being typed on the options screen, at most 9 characters.
extern std::string nameBuffer;

constexpr size_t kMaxNameLength = 9;

void startNameEntry();
// One key press while the name is being typed.
void handleNameEntryKey(int symbol);
