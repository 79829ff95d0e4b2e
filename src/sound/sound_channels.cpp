#include "sound/sound_channels.h"

#include <algorithm>
#include <cstring>

#include "sound/sound_mixer.h"
#include "sound/sound_system.h"

namespace {
bool idle(const Voice& v) { return !v.sample && !v.stream; }

int pickChannel(ChannelSet& channels, int requested, SoundError& error) {
    int count = static_cast<int>(channels.voices.size());
    if (requested == FSOUND_FREE) {
        for (int i = 0; i < count; ++i)
            if (idle(channels.voices[i])) return i;
        error = SoundNoFreeChannel;
        return -1;
    }
    if (requested < 0 || requested >= count) {
        error = SoundInvalidParam;
        return -1;
    }
    stopChannel(channels, requested);
    return requested;
}

void mixSample(Voice& v, int32_t* sum, size_t frameCount) {
    const size_t total = v.sample->frames.size() / 2;
    size_t done = 0;
    while (done < frameCount) {
        if (v.position >= total) {
            if (!v.loop || total == 0) break;
            v.position = 0;
        }
        size_t take = std::min(frameCount - done, total - v.position);
        addFrames(sum + 2 * done, v.sample->frames.data() + 2 * v.position, take);
        v.position += take;
        done += take;
    }
    if (!v.loop && v.position >= total) v = Voice{};
}

void mixStream(Voice& v, int32_t* sum, int16_t* scratch, size_t frameCount) {
    bool ended = false;
    size_t got = takeStreamFrames(*v.stream, scratch, frameCount, ended);
    addFrames(sum, scratch, got);
    // Short of frames but not ended: the decoding fell behind, and the
    // stream sounds again as soon as it catches up.
    if (ended) {
        v.stream->channel = -1;
        v = Voice{};
    }
}

void mixBlock(ChannelSet& channels, int16_t* out, size_t frameCount) {
    std::memset(channels.sum, 0, sizeof channels.sum);
    for (Voice& v : channels.voices) {
        if (v.sample) mixSample(v, channels.sum, frameCount);
        else if (v.stream) mixStream(v, channels.sum, channels.scratch, frameCount);
    }
    saturateFrames(channels.sum, out, frameCount);
}
}  // namespace

void resetChannels(ChannelSet& channels, int count) {
    for (Voice& v : channels.voices)
        if (v.stream) v.stream->channel = -1;
    channels.voices.assign(static_cast<size_t>(std::max(0, count)), Voice{});
}

int startSample(ChannelSet& channels, int requested, FSOUND_SAMPLE* sample, SoundError& error) {
    int channel = pickChannel(channels, requested, error);
    if (channel < 0) return -1;
    Voice& v = channels.voices[channel];
    v.sample = sample;
    v.loop = sample->loop;
    return channel;
}

int startStream(ChannelSet& channels, int requested, FSOUND_STREAM* stream, SoundError& error) {
    if (stream->channel >= 0) stopChannel(channels, stream->channel);
    int channel = pickChannel(channels, requested, error);
    if (channel < 0) return -1;
    channels.voices[channel].stream = stream;
    stream->channel = channel;
    return channel;
}

void stopChannel(ChannelSet& channels, int channel) {
    if (channel < 0 || channel >= static_cast<int>(channels.voices.size())) return;
    Voice& v = channels.voices[channel];
    if (v.stream) v.stream->channel = -1;
    v = Voice{};
}

void stopSample(ChannelSet& channels, const FSOUND_SAMPLE* sample) {
    for (Voice& v : channels.voices)
        if (v.sample == sample) v = Voice{};
}

int activeChannels(const ChannelSet& channels) {
    return static_cast<int>(std::count_if(channels.voices.begin(), channels.voices.end(),
                                          [](const Voice& v) { return !idle(v); }));
}

void mixChannels(ChannelSet& channels, int16_t* out, size_t frameCount) {
    for (size_t done = 0; done < frameCount; done += kMixBlockFrames)
        mixBlock(channels, out + 2 * done, std::min(kMixBlockFrames, frameCount - done));
}
