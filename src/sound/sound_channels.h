#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/sound_errors.h"
#include "sound/sound_stream.h"

// What an FSOUND_SAMPLE handle points at.
struct FSOUND_SAMPLE {
    std::vector<int16_t> frames;  // stereo at the mixing rate, decoded once
    bool loop = false;
};


// One channel plays one sample or one stream, or nothing.
struct Voice {
    FSOUND_SAMPLE* sample = nullptr;
    FSOUND_STREAM* stream = nullptr;
    size_t position = 0;
    bool loop = false;
};

constexpr size_t kMixBlockFrames = 1024;

struct ChannelSet {
    std::vector<Voice> voices;
    int32_t sum[kMixBlockFrames * 2];
    int16_t scratch[kMixBlockFrames * 2];
};

void resetChannels(ChannelSet& channels, int count);
// `requested` is a channel number or -1 for the first idle one; the result
// is the channel used, or -1 with `error` set.
int startSample(ChannelSet& channels, int requested, FSOUND_SAMPLE* sample, SoundError& error);
int startStream(ChannelSet& channels, int requested, FSOUND_STREAM* stream, SoundError& error);
void stopChannel(ChannelSet& channels, int channel);
void stopSample(ChannelSet& channels, const FSOUND_SAMPLE* sample);
int activeChannels(const ChannelSet& channels);

// Fills `out` with frameCount stereo frames of everything that plays.
void mixChannels(ChannelSet& channels, int16_t* out, size_t frameCount);
