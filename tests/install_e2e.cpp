#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "game_driver.h"
#include "test_support.h"

// The game installed into a prefix of its own and started from elsewhere,
// as a player's desktop would start it.
namespace {
namespace fs = std::filesystem;

std::set<std::string> namesIn(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
    return names;
}
}  // namespace

TEST(InstalledGame, StartedAnywhereShowsTheMenuAndKeepsItsSavesInTheXdgDataDirectory) {
    ASSERT_TRUE(startOwnXServer());
    const std::string here = fs::current_path(), prefix = here + "/prefix", home = here + "/home";
    const std::string xdg = home + "/own/share", elsewhere = here + "/elsewhere";
    fs::create_directories(home);
    fs::create_directories(elsewhere);
    ProgramRun install({"/usr/bin/cmake", "--install", fs::path(QUADRUNE_BINARY).parent_path(), "--prefix", prefix}, {});
    ASSERT_EQ(install.waitForExit(60000), 0) << install.out() << install.err();
    for (const char* size : {"48x48", "256x256"})
        EXPECT_TRUE(fileExists(prefix + "/share/icons/hicolor/" + size + "/apps/quadrune.png")) << size;

    ProgramRun game({prefix + "/games/quadrune"}, {{"HOME", home}, {"XDG_DATA_HOME", xdg}, {"SDL_AUDIODRIVER", "dummy"}},
                    elsewhere);
    GameWindow window;
    ASSERT_TRUE(window.find(game.pid(), 20000)) << game.err();
    ASSERT_TRUE(game.waitForOutput("..done.\n", 20000)) << game.out() << game.err();  // all data found: the menu is up
    ASSERT_TRUE(window.close());
    EXPECT_EQ(game.waitForExit(10000), 0) << game.err();

    EXPECT_EQ(readFileBytes(xdg + "/quadrune/highscore.dat").size(), 9608u);
    EXPECT_FALSE(fileExists(xdg + "/quadrune/config.dat")) << "quitting never saves the settings";
    std::error_code noLink;
    EXPECT_EQ(fs::read_symlink(xdg + "/quadrune/data", noLink), fs::path(prefix + "/share/games/quadrune"));
    EXPECT_TRUE(namesIn(elsewhere).empty());
    EXPECT_EQ(namesIn(home), std::set<std::string>{"own"});
    for (const auto& entry : fs::recursive_directory_iterator(prefix))
        EXPECT_NE(entry.path().extension(), ".dat") << entry.path();
}
