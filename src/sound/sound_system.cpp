#include "sound/sound_system.h"

SoundApi soundApi = deviceSoundApi();

float FSOUND_GetVersion() { return soundApi.getVersion(); }
signed char FSOUND_SetMixer(int mixer) { return soundApi.setMixer(mixer); }
signed char FSOUND_Init(int mixRate, int channels, unsigned flags) { return soundApi.init(mixRate, channels, flags); }
int FSOUND_GetError() { return soundApi.getError(); }
FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned mode, int offset, int length) {
    return soundApi.streamOpen(name, mode, offset, length);
}
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned mode, int offset, int length) {
    return soundApi.sampleLoad(index, name, mode, offset, length);
}
signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE* sample, unsigned mode) { return soundApi.sampleSetMode(sample, mode); }
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream) { return soundApi.streamPlay(channel, stream); }
signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream) { return soundApi.streamStop(stream); }
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) { return soundApi.playSound(channel, sample); }
void FSOUND_Sample_Free(FSOUND_SAMPLE* sample) { soundApi.sampleFree(sample); }
void FSOUND_Close() { soundApi.close(); }
