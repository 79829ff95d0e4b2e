#pragma once
#include <set>
#include <string>
#include <vector>

#include "sound/sound_system.h"

// Replaces the sound layer with one that records every call, for as long
// as the object lives. Handles are fake non-null pointers unless the file
// is listed in failingFiles.
class RecordingSound {
public:
    RecordingSound();
    ~RecordingSound();
    RecordingSound(const RecordingSound&) = delete;
    RecordingSound& operator=(const RecordingSound&) = delete;

    float version = 3.75f;
    bool initSucceeds = true;
    int errorCode = 0;
    std::set<std::string> failingFiles;
    std::vector<std::string> calls;

    static RecordingSound* current;

private:
    SoundApi saved_;
};
