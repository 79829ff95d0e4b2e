#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <string>

#include "render/scene.h"
#include "render_fixtures.h"
#include "render_process.h"
#include "render_x_keepalive.h"
#include "temp_dir.h"

namespace {
const char* const kStartLines =
    "\nInitializing Scene Variables..\n"
    "\nInitializing SDL..\n"
    "Setting SDL attribs..\n"
    "Depth buffer depth : N\n";
const char* const kSceneLines =
    "\nLoading..\n"
    "\tTextures.....done\n"
    "Generating display lists.....done\n";
const std::map<std::string, std::string> kQuietAudio = {{"SDL_AUDIODRIVER", "dummy"}};

// The depth buffer's size depends on the X server; put N for its digits.
std::string withDepthAsN(std::string out) {
    const std::string label = "Depth buffer depth : ";
    size_t at = out.find(label);
    if (at == std::string::npos) return out;
    size_t digits = at + label.size(), end = digits;
    while (end < out.size() && std::isdigit(static_cast<unsigned char>(out[end]))) ++end;
    if (end > digits) out.replace(digits, end - digits, "N");
    return out;
}

class Textures : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
        keepXServerFromResetting();
        writeRenderPictures(dir.path());
    }

    SignalledRun run() { return runUntilOutput({QUADRUNE_BINARY}, dir.path(), kQuietAudio, "display lists.....done\n", 30000); }

    TempDir dir;
};
}  // namespace

TEST_F(Textures, AllPicturesLoadBehindTheLoadingScreen) {
    SignalledRun game = run();
    EXPECT_TRUE(game.markerSeen);
    EXPECT_FALSE(game.result.timedOut);
    EXPECT_EQ(game.result.exitCode, 0) << game.result.err;
    std::string upToScene = std::string(kStartLines) + kSceneLines;
    EXPECT_EQ(withDepthAsN(game.result.out).substr(0, upToScene.size()), upToScene) << game.result.out;
}

TEST_F(Textures, AMissingPictureEndsWithCode12AfterNamingIt) {
    std::remove(dir.file(kTextureFiles[9]).c_str());
    SignalledRun game = run();
    EXPECT_FALSE(game.markerSeen);
    EXPECT_FALSE(game.result.timedOut);
    EXPECT_EQ(game.result.exitCode, 12);
    EXPECT_EQ(withDepthAsN(game.result.out),
              std::string(kStartLines) + "\nLoading..\n\tTextures...Error while loading 'data/pics/glow3.png'\n");
}

TEST_F(Textures, ADamagedFontPictureEndsWithCode12AfterNamingIt) {
    auto bytes = readFileBytes(dir.file(kTextureFiles[20]));
    bytes.resize(bytes.size() / 2);
    writeFileBytes(dir.file(kTextureFiles[20]), bytes);
    SignalledRun game = run();
    EXPECT_FALSE(game.result.timedOut);
    EXPECT_EQ(game.result.exitCode, 12);
    std::string tail = "Error while loading 'data/pics/menufont.png'\n";
    ASSERT_GE(game.result.out.size(), tail.size());
    EXPECT_EQ(game.result.out.substr(game.result.out.size() - tail.size()), tail) << game.result.out;
}
