#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "process_runner.h"
#include "render/scene.h"
#include "render_fixtures.h"
#include "render_x_keepalive.h"
#include "temp_dir.h"

// The start-up with every picture in place is checked line by line by the
// start-up's own end-to-end test; here one picture is missing.
TEST(Textures, AMissingPictureEndsWithCode12AfterNamingIt) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    keepXServerFromResetting();
    TempDir dir;
    writeRenderPictures(dir.path());
    std::remove(dir.file(kTextureFiles[9]).c_str());
    ProcessResult game = runProcess({QUADRUNE_BINARY}, dir.path(), {{"SDL_AUDIODRIVER", "dummy"}}, 30000);
    EXPECT_FALSE(game.timedOut);
    EXPECT_EQ(game.exitCode, 12);
    // The depth buffer's size depends on the X server.
    const std::string head =
        "\nInitializing Scene Variables..\n\nInitializing SDL..\nSetting SDL attribs..\nDepth buffer depth : ";
    const std::string tail = "\nLoading..\n\tTextures...Error while loading 'data/pics/glow3.png'\n";
    ASSERT_GT(game.out.size(), head.size() + tail.size()) << game.out;
    EXPECT_EQ(game.out.substr(0, head.size()), head);
    EXPECT_EQ(game.out.substr(game.out.size() - tail.size()), tail);
    std::string depth = game.out.substr(head.size(), game.out.size() - head.size() - tail.size());
    ASSERT_GE(depth.size(), 2u) << game.out;
    EXPECT_EQ(depth.back(), '\n');
    for (size_t i = 0; i + 1 < depth.size(); ++i) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(depth[i]))) << game.out;
}
