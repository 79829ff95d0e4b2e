// The rules core on its own: deals a game and lets it run for a minute of
// frames with a swap now and then. Built with nothing but the core, it
// proves the core needs no window, sound or network.
#include <cstdio>

#include "rules/game_random.h"
#include "rules/game_state.h"
#include "rules/seams.h"
#include "rules/board_model.h"
#include "rules/board_rules.h"
#include "rules/particles.h"

Seams seams{};

namespace {
GameRandom generator;
}  // namespace

int main() {
    seams.platform.random = [] { return generator.next(); };
    seams.platform.seedRandom = [](unsigned seed) { generator.seed(seed); };
    initSceneVariables(gameState);
    seedRand(2006);
    scatterBlocks(gameState.board);
    for (int frame = 0; frame < 1200; ++frame) {
        if (frame % 7 == 0) startSwap(gameState.board, frame % 5, (frame / 5) % 9);
        ageParticles(gameState.board);
        updateBoard(gameState.board);
        resolveRuns(gameState.board);
    }
    std::printf("score %u, blocks %d\n", gameState.score, gameState.blocksDestroyed);
    return 0;
}
