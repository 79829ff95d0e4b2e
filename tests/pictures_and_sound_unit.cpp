#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "render/png_loader.h"
#include "sound/sound_decoder.h"
#include "sound/sound_library.h"
#include "sound/sound_mixer.h"
#include "reference.h"
#include "sound/sound_channels.h"
#include "sound/sound_stream.h"
#include "sound/sound_system.h"
#include "test_support.h"

// Pictures and sounds as the player's files hold them.
namespace {
using Bytes = std::vector<uint8_t>;

// The loader ends the process on a failure, so each load runs in a child.
std::pair<int, std::string> loadInChild(const std::string& path) {
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        if (!std::freopen("child.txt", "w", stdout)) _exit(99);
        PngImage image;
        loadPng(image, path.c_str());
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Bytes out = readFileBytes("child.txt");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(out.begin(), out.end())};
}

}  // namespace

TEST(Pictures, EveryFailureNamesTheFileAndEndsWithCode12) {
    Bytes whole = readFileBytes(QUADRUNE_SOURCE_DIR "/data/pics/game.png"), flipped = whole;
    writeFileBytes("whole.png", whole);
    flipped[flipped.size() / 2] ^= 0x5A;  // breaks the compressed data's checksum
    struct Case {
        const char* name;
        Bytes content;
        std::string out;
    } cases[] = {
        {"text.png", {'h', 'e', 'l', 'l', 'o', ' ', 'p', 'n', 'g'}, "not png type text.png"},
        {"cut.png", Bytes(whole.begin(), whole.begin() + whole.size() / 2), "Error while loading 'cut.png'\n"},
        {"bare.png", Bytes(whole.begin(), whole.begin() + 8), "Error while loading 'bare.png'\n"},
        {"flipped.png", flipped, "Error while loading 'flipped.png'\n"},
    };
    for (const Case& c : cases) {
        writeFileBytes(c.name, c.content);
        EXPECT_EQ(loadInChild(c.name), std::make_pair(12, c.out)) << c.name;
    }
    EXPECT_EQ(loadInChild("none.png"), std::make_pair(12, std::string("Error while loading 'none.png'\n")));
    EXPECT_EQ(loadInChild("whole.png"), std::make_pair(0, std::string()));
}

TEST(Sound, MixingSaturatesInsteadOfWrapping) {
    const std::vector<int32_t> sums = {32767, -32768, 32768, -32769, 99999, -99999};
    std::vector<int16_t> clamped(6);
    saturateFrames(sums.data(), clamped.data(), 3);
    EXPECT_EQ(clamped, (std::vector<int16_t>{32767, -32768, 32767, -32768, 32767, -32768}));
}

// With -1 dBFS left on every file, music and a boom together stay clear of
// the mixer's clamp.
TEST(Sound, EveryGameSoundDecodesWithHeadroom) {
    const int limit = int(32768 * std::pow(10.0, -1.0 / 20));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QUADRUNE_SOURCE_DIR "/data/audio")) {
        std::vector<int16_t> frames;
        ASSERT_EQ(decodeSoundFile(entry.path().c_str(), 44100, frames), SoundOk) << entry.path();
        int peak = 0;
        for (int16_t s : frames) peak = std::max(peak, std::abs(int(s)));
        EXPECT_LE(peak, limit) << entry.path();
        ++files;
    }
    EXPECT_EQ(files, 5);
}

namespace {
// The menu's click as a mono file at half the rate: a source of the other shape.
std::string writeMonoClick() {
    SF_INFO info{};
    SNDFILE* in = sf_open(QUADRUNE_SOURCE_DIR "/data/audio/plip2.ogg", SFM_READ, &info);
    std::vector<short> stereo(static_cast<size_t>(info.frames) * info.channels), mono;
    sf_readf_short(in, stereo.data(), info.frames);
    sf_close(in);
    for (size_t i = 0; i + 1 < stereo.size(); i += 4) mono.push_back(stereo[i]);
    SF_INFO out{0, 22050, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open("mono.wav", SFM_WRITE, &out);
    sf_writef_short(file, mono.data(), static_cast<sf_count_t>(mono.size()));
    sf_close(file);
    return "mono.wav";
}

// The sound library as the game calls it, its output taken block by block
// here as the device's callback and its feeding thread take it.
bool openHere(uint32_t) { return true; }
void closeHere() {}
void unlocked() {}
const SoundOutput here = {openHere, closeHere, unlocked, unlocked};

struct MixingDesk {
    SoundApi api = soundApiOver(here);
    std::vector<int16_t> heard;
    MixingDesk() { EXPECT_EQ(api.init(44100, 32, 0), 1); }
    ~MixingDesk() {
        api.close();
        deviceSoundApi();  // the device plays again for whatever comes next
    }
    void run(size_t frames, bool keep) {
        int16_t block[kMixBlockFrames * 2];
        for (size_t done = 0; done < frames; done += kMixBlockFrames) {
            size_t n = std::min(kMixBlockFrames, frames - done);
            decodeStreamsAhead();
            mixSound(block, n);
            if (keep) heard.insert(heard.end(), block, block + 2 * n);
        }
    }
    FSOUND_SAMPLE* load(const std::string& path) {
        FSOUND_SAMPLE* sample = api.sampleLoad(FSOUND_FREE, path.c_str(), FSOUND_STEREO, 0, 0);
        EXPECT_NE(sample, nullptr) << path;
        return sample;
    }
};
constexpr size_t ms(size_t milliseconds) { return milliseconds * 44100 / 1000; }
}  // namespace

// The game music from its start, two effects of either shape over it, a
// stop and a restart; then the loop point a whole piece later, with a boom
// across it. Heard as the reference has it, within a small tolerance.
TEST(Sound, AScriptedSequenceMixesAsTheReferenceHasIt) {
    std::vector<int16_t> whole;
    ASSERT_EQ(decodeSoundFile(QUADRUNE_SOURCE_DIR "/data/audio/muzaik.mp3", 44100, whole), SoundOk);
    const size_t loopFrames = whole.size() / 2;
    MixingDesk desk;
    FSOUND_STREAM* music = desk.api.streamOpen(QUADRUNE_SOURCE_DIR "/data/audio/muzaik.mp3", FSOUND_LOOP_NORMAL, 0, 0);
    ASSERT_NE(music, nullptr);
    FSOUND_SAMPLE* boom = desk.load(QUADRUNE_SOURCE_DIR "/data/audio/boom.mp3");
    FSOUND_SAMPLE* click = desk.load(QUADRUNE_SOURCE_DIR "/data/audio/pilip.ogg");
    FSOUND_SAMPLE* mono = desk.load(writeMonoClick());
    ASSERT_GE(desk.api.streamPlay(FSOUND_FREE, music), 0);
    desk.run(ms(100), true);
    desk.api.playSound(FSOUND_FREE, click);
    desk.run(ms(100), true);
    desk.api.playSound(FSOUND_FREE, mono);
    desk.run(ms(200), true);
    desk.api.streamStop(music);
    desk.run(ms(100), true);
    ASSERT_GE(desk.api.streamPlay(FSOUND_FREE, music), 0);
    desk.run(ms(200), true);
    desk.run(loopFrames - ms(200) - ms(250), false);
    desk.run(ms(150), true);
    desk.api.playSound(FSOUND_FREE, boom);
    desk.run(ms(350), true);
    EXPECT_TRUE(matchesReferenceSound(desk.heard, "mixed-sequence"));
}
