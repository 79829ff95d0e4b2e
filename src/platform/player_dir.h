#pragma once
#include <string>

// An installed game keeps its pictures and sounds in share/games/quadrune
// beside the games/ folder of its executable, and each player's saves in a
// directory of their own. It works in that directory, whose data entry links
// to the installed data, so data/... and the save files resolve as they do
// in the repository.

// The installed data for the executable at executablePath, or "" when the
// executable is not installed that way (a build tree).
std::string installedDataDir(const std::string& executablePath);

// $XDG_DATA_HOME/quadrune; ~/.local/share/quadrune when XDG_DATA_HOME is
// unset, empty or relative. "" when there is no home either.
std::string playerDir(const char* xdgDataHome, const char* home);

// Creates dir and its missing parents (mode 0700) and makes dir/data a link
// to dataDir, replacing a link that points elsewhere. A data entry that is
// not a link is the player's own and stays. On failure says why in *error.
bool preparePlayerDir(const std::string& dir, const std::string& dataDir, std::string* error);

// Called before anything is read. From a build tree it changes nothing. An
// installed game moves into the player's directory; when that cannot be
// made it warns and plays in a throwaway directory, without keeping saves.
void enterPlayerDir();
