#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "fixture_data.h"
#include "process_runner.h"
#include "temp_dir.h"
#include "x_driver.h"

TEST(Startup, WithoutADisplayEndsWithCodeTwoAndTheVideoModeMessage) {
    TempDir dir;
    writeFixtureData(dir.path());
    auto result = runProcess({QUADRUNE_BINARY}, dir.path(), {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, 20000);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "\nInitializing Scene Variables..\n\nInitializing SDL..\nSetting SDL attribs..\n");
    EXPECT_NE(result.err.find("Couldn't set 640x480 GL video mode: "), std::string::npos) << result.err;
    EXPECT_FALSE(fileExists(dir.file("config.dat")));
}

TEST(Startup, OpensTheCaptionedWindowAndPrintsTheStartupLines) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    xdriver::holdXServer();
    TempDir dir;
    writeFixtureData(dir.path());
    ProcessResult result;
    std::thread game([&] {
        result = runProcess({QUADRUNE_BINARY}, dir.path(), {{"SDL_AUDIODRIVER", "dummy"}}, 30000);
    });
    bool shown = xdriver::waitForWindow(10000);
    auto shot = xdriver::screenshot(dir.file("window.png"));
    bool closed = xdriver::closeWindow();
    game.join();

    EXPECT_TRUE(shown) << "no window titled \"Quadrune 0.145a - 04.02.2006\"";
    EXPECT_EQ(shot.width, 640);
    EXPECT_EQ(shot.height, 480);
    EXPECT_TRUE(closed);
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
