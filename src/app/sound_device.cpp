// Stand-in until the mixer lands: a sound system that never starts.
#include "app/sound_system.h"

namespace {
float version() { return 3.75f; }
signed char setMixer(int) { return 1; }
signed char init(int, int, unsigned) { return 0; }
int lastError() { return 2; }
FSOUND_STREAM* streamOpen(const char*, unsigned, int, int) { return nullptr; }
FSOUND_SAMPLE* sampleLoad(int, const char*, unsigned, int, int) { return nullptr; }
signed char sampleSetMode(FSOUND_SAMPLE*, unsigned) { return 0; }
int streamPlay(int, FSOUND_STREAM*) { return -1; }
signed char streamStop(FSOUND_STREAM*) { return 0; }
int playSound(int, FSOUND_SAMPLE*) { return -1; }
void sampleFree(FSOUND_SAMPLE*) {}
void close() {}
}  // namespace

const char* FMOD_ErrorString(int) { return "Sound device not available"; }

SoundApi deviceSoundApi() {
    return {version, setMixer, init, lastError, streamOpen, sampleLoad, sampleSetMode,
            streamPlay, streamStop, playSound, sampleFree, close};
}
