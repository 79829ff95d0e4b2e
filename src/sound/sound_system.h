#pragma once
// Our own sound layer with the FSOUND_ operations the game was written
// against: two looping streams and one-shot samples, mixed over SDL audio.

#include <cstdint>

#include "rules/seams.h"

constexpr int FSOUND_FREE = kAnyFreeChannel;
constexpr unsigned FSOUND_LOOP_OFF = 0x01;
constexpr unsigned FSOUND_LOOP_NORMAL = 0x02;
constexpr unsigned FSOUND_STEREO = 0x40;
constexpr float kRequiredSoundVersion = 3.75f;

float FSOUND_GetVersion();
signed char FSOUND_SetMixer(int mixer);
signed char FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned flags);
int FSOUND_GetError();
const char* FMOD_ErrorString(int errorCode);
FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned mode, int offset, int length);
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned mode, int offset, int length);
signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE* sample, unsigned mode);
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream);
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample);
void FSOUND_Sample_Free(FSOUND_SAMPLE* sample);
void FSOUND_Close();

// The operations above dispatch through seams.sound.
// The mixer over the SDL audio device.
SoundApi deviceSoundApi();

// How long the device's mixing callback has taken at worst, for the
// measuring tool; kept since the device opened or the last reset.
struct MixTiming {
    uint64_t worstNs;
    uint64_t calls;
};
MixTiming mixCallbackTiming();
void resetMixCallbackTiming();
