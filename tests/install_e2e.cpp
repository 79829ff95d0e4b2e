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

// Width and height from a PNG's header.
std::pair<int, int> pngSize(const std::string& path) {
    std::vector<unsigned char> b = readFileBytes(path);
    if (b.size() < 24) return {0, 0};
    return {b[16] << 24 | b[17] << 16 | b[18] << 8 | b[19], b[20] << 24 | b[21] << 16 | b[22] << 8 | b[23]};
}

// The loading screen is black where the menu's logo shows its green square.
bool menuShown(const Shot& shot) {
    double green = 0, other = 0;
    for (int y = 270; y < 300; ++y)
        for (int x = 50; x < 80; ++x) green += shot.at(x, y)[1], other += shot.at(x, y)[0] + shot.at(x, y)[2];
    return green > 900 * 180 && other < 900 * 2 * 150;
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
    for (int size : {48, 256})
        EXPECT_EQ(pngSize(prefix + "/share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) +
                          "/apps/quadrune.png"),
                  std::make_pair(size, size));

    ProgramRun game({prefix + "/games/quadrune"}, {{"HOME", home}, {"XDG_DATA_HOME", xdg}, {"SDL_AUDIODRIVER", "dummy"}},
                    elsewhere);
    GameWindow window;
    ASSERT_TRUE(window.find(game.pid(), 20000)) << game.err();
    EXPECT_TRUE(menuShown(window.waitForShot(menuShown, 20000))) << game.out() << game.err();
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
