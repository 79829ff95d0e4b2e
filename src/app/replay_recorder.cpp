#include "app/replay_recorder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "rules/game_state.h"
#include "rules/replay_file.h"
#include "rules/game_result.h"
#include "scores/replay_send.h"

namespace {
const char* const kReplayDir = "replays";
constexpr size_t kRecentKept = 20;

// A game's recording: it begins when the game seeds the generator and
// takes frames from the first pass of the main loop after that.
struct Recorder {
    bool active = false;
    bool inFrame = false;  // a pass has begun since the seed
    Replay replay;
    uint32_t startedAt = 0;  // what its file is named for
    PlatformHooks real{};
};
Recorder recorder;

void beginRecording(unsigned seed) {
    recorder.replay = Replay{};
    recorder.replay.rulesVersion = kRulesVersion;
    recorder.replay.mode = gameState.config.gameMode;
    recorder.replay.seed = seed;
    recorder.startedAt = seed;
    recorder.replay.startColumn = gameState.cursorColumn;
    recorder.replay.startRow = gameState.cursorRow;
    for (int key = 0; key < kKeyTableSize; ++key)
        if (gameState.keyDown[key]) recorder.replay.heldKeys.push_back(key);
    recorder.active = true;
    recorder.inFrame = false;
}

bool recordingFrame() { return recorder.active && recorder.inFrame; }

void recordedSeed(unsigned seed) {
    recorder.real.seedRandom(seed);
    beginRecording(seed);
}

// A pass ends with the main loop's sleep; the next reading begins a frame.
void recordedDelay(uint32_t ms) {
    recorder.real.delay(ms);
    if (!recorder.active) return;
    ReplayFrames& f = recorder.replay.frames;
    // The loop's reading after the frame only paces it; the next start says as much.
    if (recorder.inFrame && f.tickCounts.back() > 1) f.ticks.pop_back(), --f.tickCounts.back();
    if (f.size() >= kReplayMaxFrames) return void(recorder.active = false);  // too long to keep
    recorder.inFrame = true;
    f.tickCounts.push_back(0);
    f.eventCounts.push_back(0);
}

uint32_t recordedTicks() {
    uint32_t now = recorder.real.getTicks();
    ReplayFrames& f = recorder.replay.frames;
    if (recordingFrame() && f.tickCounts.back() < kReplayMaxTicksPerFrame) f.ticks.push_back(now), ++f.tickCounts.back();
    return now;
}

int recordedPoll(SDL_Event* raw) {
    int got = recorder.real.pollEvent(raw);
    ReplayFrames& f = recorder.replay.frames;
    if (!got || !recordingFrame() || f.eventCounts.back() >= kReplayMaxEventsPerFrame) return got;
    InputEvent event = inputEventOf(*raw);
    if (event.kind != InputEvent::Other) f.events.push_back(event), ++f.eventCounts.back();  // the rest change nothing
    return got;
}

std::string fileNameFor(const Replay& replay) {
    std::time_t start = recorder.startedAt;
    std::tm local{};
    localtime_r(&start, &local);
    char name[96];
    std::snprintf(name, sizeof name, "%s/%04d%02d%02d-%02d%02d%02d-%d-%u.qrp", kReplayDir, local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, int(replay.mode),
                  replay.row.score);
    return name;
}

// A table row and a replay's row are the same game when every field the
// table keeps agrees; FREE PLAY keeps whole seconds.
bool sameGame(const HighscoreEntry& kept, int mode, const HighscoreEntry& played) {
    uint32_t time = mode == FreePlay ? played.time / 1000 : played.time;
    return std::memcmp(kept.name, played.name, sizeof kept.name) == 0 && kept.score == played.score &&
           kept.blocksDestroyed == played.blocksDestroyed && kept.time == time;
}

bool inHighscores(const std::string& path) {
    Replay replay;
    if (!loadReplayHeader(path.c_str(), replay)) return false;
    const ModeFacts* facts = modeFacts(replay.mode);
    if (!facts || facts->table < 0) return false;
    for (const HighscoreEntry& row : gameState.highscores.tables[facts->table].rows)
        if (sameGame(row, replay.mode, replay.row)) return true;
    return false;
}

// Keeps the newest games and every game in the highscore tables.
void pruneReplays() {
    DIR* dir = opendir(kReplayDir);
    if (!dir) return;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".qrp") == 0) names.push_back(name);
    }
    closedir(dir);
    std::sort(names.rbegin(), names.rend());  // newest first: the names begin with the time
    for (size_t i = kRecentKept; i < names.size(); ++i) {
        std::string path = std::string(kReplayDir) + "/" + names[i];
        if (!inHighscores(path)) std::remove(path.c_str());
    }
}
}  // namespace

void startRecordingGames() {
    recorder.real = seams.platform;
    seams.platform.seedRandom = recordedSeed;
    seams.platform.delay = recordedDelay;
    seams.platform.getTicks = recordedTicks;
    seams.platform.pollEvent = recordedPoll;
}

void nameRecordedGameAt(uint32_t seconds) { recorder.startedAt = seconds; }

void finishRecordedGame() {
    keepReplayToSend({});
    if (!recorder.active) return;
    recorder.active = recorder.inFrame = false;
    recorder.replay.row = gameResultRow(gameState);
    // A replay that cannot be written is simply not kept.
    mkdir(kReplayDir, 0700);
    if (saveReplayFile(fileNameFor(recorder.replay).c_str(), recorder.replay)) pruneReplays();
    keepReplayToSend(encodeReplay(recorder.replay));
    recorder.replay = Replay{};
}
