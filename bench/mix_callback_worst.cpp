// Plays the game's music with booms for a while and prints the worst time
// the audio callback took. Run from the repository with a silent driver:
//   SDL_AUDIODRIVER=dummy build/bench/mix_callback_worst [seconds]
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "sound/sound_system.h"

namespace {
constexpr uint32_t kFrameMs = 50;  // the game's frame
constexpr int kMixRate = 44100;

FSOUND_STREAM* openMusic(const char* path) {
    FSOUND_STREAM* stream = FSOUND_Stream_Open(path, FSOUND_LOOP_NORMAL, 0, 0);
    if (!stream) std::fprintf(stderr, "%s: %s\n", path, FMOD_ErrorString(FSOUND_GetError()));
    return stream;
}
}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    if (SDL_Init(0) < 0 || !FSOUND_Init(kMixRate, 32, 0)) {
        std::fprintf(stderr, "no audio: %s\n", FMOD_ErrorString(FSOUND_GetError()));
        return 1;
    }
    FSOUND_STREAM* game = openMusic("data/audio/muzaik.mp3");
    FSOUND_STREAM* menu = openMusic("data/audio/menumusa.ogg");
    FSOUND_SAMPLE* boom = FSOUND_Sample_Load(FSOUND_FREE, "data/audio/boom.mp3", FSOUND_STEREO, 0, 0);
    if (!game || !menu || !boom) return 1;
    FSOUND_Sample_SetMode(boom, FSOUND_LOOP_OFF);
    FSOUND_Stream_Play(FSOUND_FREE, game);
    resetMixCallbackTiming();

    // About one run destroyed a second, and a trip to the menu and back
    // every twenty seconds, as a player would.
    std::mt19937 random(7);
    uint32_t start = SDL_GetTicks();
    int booms = 0;
    for (uint32_t frame = 0; SDL_GetTicks() - start < static_cast<uint32_t>(seconds) * 1000; ++frame) {
        if (random() % 20 == 0) {
            FSOUND_PlaySound(FSOUND_FREE, boom);
            ++booms;
        }
        if (frame % 400 == 399) {
            FSOUND_Stream_Stop(game);
            FSOUND_Stream_Play(FSOUND_FREE, menu);
            SDL_Delay(kFrameMs * 20);
            FSOUND_Stream_Stop(menu);
            FSOUND_Stream_Play(FSOUND_FREE, game);
        }
        SDL_Delay(kFrameMs);
    }
    MixTiming timing = mixCallbackTiming();
    std::printf("%d s, %d booms, %llu callbacks of %.1f ms each, worst %.3f ms\n", seconds, booms,
                static_cast<unsigned long long>(timing.calls), 1024 * 1000.0 / kMixRate, timing.worstNs / 1e6);
    FSOUND_Close();
    SDL_Quit();
    return 0;
}
