#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "fixture_data.h"
#include "process_runner.h"
#include "temp_dir.h"

namespace {
const char* const kTitle = "Quadrune 0.145a - 04.02.2006";

std::string commandOutput(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
    return out;
}

// Polls for the game's window for up to ten seconds; returns its geometry line.
std::string waitForWindowGeometry() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string geometry = commandOutput(std::string("xdotool search --name '^") +
                                             "Quadrune 0\\.145a - 04\\.02\\.2006$' getwindowgeometry 2>/dev/null");
        if (geometry.find("Geometry:") != std::string::npos) return geometry;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}
}  // namespace

TEST(Startup, WithoutADisplayEndsWithCodeTwoAndTheVideoModeMessage) {
    TempDir dir;
    writeFixtureData(dir.path());
    auto result = runProcess({QUADRUNE_BINARY}, dir.path(), {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, 20000);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "\nInitializing Scene Variables..\n\nInitializing SDL..\nSetting SDL attribs..\n");
    EXPECT_EQ(result.err.rfind("Couldn't set 640x480 GL video mode: ", result.err.size()) == std::string::npos, false)
        << result.err;
    EXPECT_FALSE(fileExists(dir.file("config.dat")));
}

TEST(Startup, OpensTheCaptionedWindowAndPrintsTheStartupLines) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    TempDir dir;
    writeFixtureData(dir.path());
    ProcessResult result;
    std::thread game([&] {
        result = runProcess({QUADRUNE_BINARY}, dir.path(), {{"SDL_AUDIODRIVER", "dummy"}}, 30000);
    });
    std::string geometry = waitForWindowGeometry();
    int closed = std::system((std::string(QUADRUNE_CLOSE_WINDOW) + " '" + kTitle + "'").c_str());
    game.join();

    EXPECT_NE(geometry.find("Geometry: 640x480"), std::string::npos) << geometry;
    EXPECT_EQ(closed, 0);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string before =
        "\nInitializing Scene Variables..\n"
        "\nInitializing SDL..\n"
        "Setting SDL attribs..\n"
        "Depth buffer depth : ";
    const std::string after =
        "\nLoading..\n"
        "\tTextures.....done\n"
        "Generating display lists.....done\n"
        "\nSound system turn on!..\n"
        "\nLoading data/audio/muzaik.mp3....done.\n"
        "..done.\n";
    ASSERT_EQ(result.out.compare(0, before.size(), before), 0) << result.out;
    size_t digits = result.out.find_first_not_of("0123456789", before.size());
    ASSERT_NE(digits, std::string::npos);
    EXPECT_GT(digits, before.size()) << result.out;
    EXPECT_EQ(result.out.substr(digits), "\n" + after) << result.out;
    // Quitting saves the highscores but never the settings.
    EXPECT_EQ(readFileBytes(dir.file("highscore.dat")).size(), 9608u);
    EXPECT_FALSE(fileExists(dir.file("config.dat")));
}
