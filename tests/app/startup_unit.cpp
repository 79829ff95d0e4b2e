#include <gtest/gtest.h>

#include <cstring>

#include "base/game_state.h"
#include "app/startup.h"
#include "capture_stdout.h"
#include "recording_sound.h"
#include "scripted_platform.h"

namespace {
// The sound start-up with a recording sound layer; returns what it printed.
std::string runSoundStart(RecordingSound& /*recording*/, bool musicOn) {
    gameState.soundEnabled = 1;
    gameState.config.musicOn = musicOn ? 1 : 0;
    gameState.musicChannel = 0;
    CaptureStdout capture;
    capture.start();
    startSoundSystem(gameState);
    return capture.finish();
}

bool called(const RecordingSound& sound, const std::string& prefix) {
    for (const auto& call : sound.calls)
        if (call.rfind(prefix, 0) == 0) return true;
    return false;
}

const char* const kLoadLines =
    "\nLoading data/audio/muzaik.mp3....done.\n"
    "..done.\n";
}  // namespace

TEST(SoundStartup, WorkingSoundOpensFiveFilesSetsModesAndStartsMenuMusic) {
    RecordingSound sound;
    std::string out = runSoundStart(sound, true);
    EXPECT_EQ(out, std::string("\nSound system turn on!..\n") + kLoadLines);
    EXPECT_EQ(gameState.soundEnabled, 1);
    std::vector<std::string> opens;
    for (const auto& c : sound.calls)
        if (c.rfind("Stream_Open", 0) == 0 || c.rfind("Sample_Load", 0) == 0) opens.push_back(c);
    EXPECT_EQ(opens, (std::vector<std::string>{
                         "Stream_Open data/audio/muzaik.mp3 2 0 0",
                         "Stream_Open data/audio/menumusa.ogg 2 0 0",
                         "Sample_Load -1 data/audio/boom.mp3 64 0 0",
                         "Sample_Load -1 data/audio/pilip.ogg 64 0 0",
                         "Sample_Load -1 data/audio/plip2.ogg 64 0 0",
                     }));
    EXPECT_EQ(sound.calls[0], "GetVersion");
    EXPECT_EQ(sound.calls[1], "SetMixer 0");
    EXPECT_EQ(sound.calls[2], "Init 44100 32 0");
    // Modes in the order menu click, option click, boom, then the music.
    auto n = sound.calls.size();
    ASSERT_GE(n, 4u);
    EXPECT_EQ(sound.calls[n - 4], "Sample_SetMode " + std::to_string(reinterpret_cast<uintptr_t>(gameState.menuClickSample)) + " 1");
    EXPECT_EQ(sound.calls[n - 3], "Sample_SetMode " + std::to_string(reinterpret_cast<uintptr_t>(gameState.optionClickSample)) + " 1");
    EXPECT_EQ(sound.calls[n - 2], "Sample_SetMode " + std::to_string(reinterpret_cast<uintptr_t>(gameState.boomSample)) + " 1");
    EXPECT_EQ(sound.calls[n - 1].rfind("Stream_Play -1 ", 0), 0u);
    EXPECT_EQ(gameState.musicChannel, 7);

    RecordingSound quiet;
    runSoundStart(quiet, false);
    EXPECT_FALSE(called(quiet, "Stream_Play"));
    EXPECT_EQ(gameState.musicChannel, 0);
}

TEST(SoundStartup, OldVersionWritesBothMessagesAndOpensNothing) {
    RecordingSound sound;
    sound.version = 3.6f;
    sound.errorCode = 0;
    std::string out = runSoundStart(sound, true);
    EXPECT_EQ(out, std::string("\nSound system turn on!..\n"
                               "Error : You are using the wrong DLL version!  You should be using FMOD 3.75\n"
                               "Init: ") +
                       FMOD_ErrorString(0) + "\n");
    EXPECT_EQ(gameState.soundEnabled, 0);
    EXPECT_EQ(sound.calls, std::vector<std::string>{"GetVersion"});

    RecordingSound after;
    shutdownGame(gameState);
    EXPECT_TRUE(after.calls.empty());
}

TEST(SoundStartup, FailedInitAndMissingGameMusic) {
    RecordingSound noDevice;
    noDevice.initSucceeds = false;
    noDevice.errorCode = 3;
    std::string out = runSoundStart(noDevice, true);
    EXPECT_EQ(out, std::string("\nSound system turn on!..\nInit: ") + FMOD_ErrorString(3) + "\n");
    EXPECT_FALSE(called(noDevice, "Stream_Open"));

    RecordingSound missing;
    missing.failingFiles = {"data/audio/muzaik.mp3"};
    missing.errorCode = 4;
    out = runSoundStart(missing, true);
    EXPECT_EQ(out, std::string("\nSound system turn on!..\n"
                               "\nLoading data/audio/muzaik.mp3....done.\n"
                               "samp1: ") +
                       FMOD_ErrorString(4) + "\n..done.\n");
    EXPECT_EQ(gameState.soundEnabled, 0);
    int opened = 0;
    for (const auto& c : missing.calls) opened += c.rfind("Stream_Open", 0) == 0 || c.rfind("Sample_Load", 0) == 0;
    EXPECT_EQ(opened, 5);
    EXPECT_FALSE(called(missing, "Sample_SetMode"));
    EXPECT_FALSE(called(missing, "Stream_Play"));

    RecordingSound atShutdown;
    shutdownGame(gameState);
    EXPECT_TRUE(atShutdown.calls.empty());
}

TEST(SoundShutdown, FreesBoomAndMenuClickThenCloses) {
    RecordingSound sound;
    runSoundStart(sound, false);
    sound.calls.clear();
    shutdownGame(gameState);
    EXPECT_EQ(sound.calls, (std::vector<std::string>{
                               "Sample_Free " + std::to_string(reinterpret_cast<uintptr_t>(gameState.boomSample)),
                               "Sample_Free " + std::to_string(reinterpret_cast<uintptr_t>(gameState.menuClickSample)),
                               "Close"}));
}

TEST(MainLoop, SleepsWhatIsLeftOfFiftyMillisecondsAndFinishesTheQuittingPass) {
    EXPECT_EQ(frameDelayMs(0), 50u);
    EXPECT_EQ(frameDelayMs(30), 20u);
    EXPECT_EQ(frameDelayMs(50), 0u);
    EXPECT_EQ(frameDelayMs(70), 0u);

    // Each tick read advances the clock, so a pass "spends" that much; the
    // quit flag is tested only after the pass and its delay.
    ScriptedPlatform script;
    gameState.screen = 0;  // runs no frame
    gameState.quitRequested = 1;
    script.ticksPerRead = 30;
    runMainLoop(gameState);
    EXPECT_EQ(script.delays, std::vector<uint32_t>{20});

    script.ticksPerRead = 70;
    script.delays.clear();
    runMainLoop(gameState);
    EXPECT_EQ(script.delays, std::vector<uint32_t>{0});
}
