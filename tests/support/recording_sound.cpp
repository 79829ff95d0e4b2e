#include "recording_sound.h"

#include <cstdint>

RecordingSound* RecordingSound::current = nullptr;

namespace {
std::vector<std::string>& log() { return RecordingSound::current->calls; }
std::string handle(const void* p) { return p ? std::to_string(reinterpret_cast<uintptr_t>(p)) : "null"; }

// Fake handles: distinct addresses that are never dereferenced.
char fakeHandles[64];
int nextHandle = 0;
void* newHandle() { return &fakeHandles[(nextHandle++) % 64]; }

float getVersion() { log().push_back("GetVersion"); return RecordingSound::current->version; }
signed char setMixer(int m) { log().push_back("SetMixer " + std::to_string(m)); return 1; }
signed char init(int rate, int channels, unsigned flags) {
    log().push_back("Init " + std::to_string(rate) + " " + std::to_string(channels) + " " + std::to_string(flags));
    return RecordingSound::current->initSucceeds ? 1 : 0;
}
int getError() { return RecordingSound::current->errorCode; }
FSOUND_STREAM* streamOpen(const char* name, unsigned mode, int offset, int length) {
    log().push_back(std::string("Stream_Open ") + name + " " + std::to_string(mode) + " " +
                    std::to_string(offset) + " " + std::to_string(length));
    if (RecordingSound::current->failingFiles.count(name)) return nullptr;
    return static_cast<FSOUND_STREAM*>(newHandle());
}
FSOUND_SAMPLE* sampleLoad(int index, const char* name, unsigned mode, int offset, int length) {
    log().push_back("Sample_Load " + std::to_string(index) + " " + name + " " + std::to_string(mode) + " " +
                    std::to_string(offset) + " " + std::to_string(length));
    if (RecordingSound::current->failingFiles.count(name)) return nullptr;
    return static_cast<FSOUND_SAMPLE*>(newHandle());
}
signed char sampleSetMode(FSOUND_SAMPLE* s, unsigned mode) {
    log().push_back("Sample_SetMode " + handle(s) + " " + std::to_string(mode));
    return 1;
}
int streamPlay(int channel, FSOUND_STREAM* s) {
    log().push_back("Stream_Play " + std::to_string(channel) + " " + handle(s));
    return s ? 7 : -1;
}
signed char streamStop(FSOUND_STREAM* s) { log().push_back("Stream_Stop " + handle(s)); return 1; }
int playSound(int channel, FSOUND_SAMPLE* s) {
    log().push_back("PlaySound " + std::to_string(channel) + " " + handle(s));
    return s ? 3 : -1;
}
void sampleFree(FSOUND_SAMPLE* s) { log().push_back("Sample_Free " + handle(s)); }
void close() { log().push_back("Close"); }
}  // namespace

RecordingSound::RecordingSound() : saved_(soundApi) {
    current = this;
    soundApi = {getVersion, setMixer, init, getError, streamOpen, sampleLoad, sampleSetMode,
                streamPlay, streamStop, playSound, sampleFree, close};
}

RecordingSound::~RecordingSound() {
    soundApi = saved_;
    current = nullptr;
}
