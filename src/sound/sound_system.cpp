#include "sound/sound_system.h"

float FSOUND_GetVersion() { return seams.sound.getVersion(); }
signed char FSOUND_SetMixer(int mixer) { return seams.sound.setMixer(mixer); }
signed char FSOUND_Init(int mixRate, int channels, unsigned flags) { return seams.sound.init(mixRate, channels, flags); }
int FSOUND_GetError() { return seams.sound.getError(); }
FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned mode, int offset, int length) {
    return seams.sound.streamOpen(name, mode, offset, length);
}
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned mode, int offset, int length) {
    return seams.sound.sampleLoad(index, name, mode, offset, length);
}
signed char FSOUND_Sample_SetMode(FSOUND_SAMPLE* sample, unsigned mode) { return seams.sound.sampleSetMode(sample, mode); }
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream) { return seams.sound.streamPlay(channel, stream); }
signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream) { return seams.sound.streamStop(stream); }
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) { return seams.sound.playSound(channel, sample); }
void FSOUND_Sample_Free(FSOUND_SAMPLE* sample) { seams.sound.sampleFree(sample); }
void FSOUND_Close() { seams.sound.close(); }
