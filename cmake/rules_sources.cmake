# The rules core's sources, for the game's build and the fuzzers' alike.
set(QUADRUNE_RULES_SOURCES
  src/base/config_file.cpp src/base/file_util.cpp src/base/game_modes.cpp src/base/game_random.cpp
  src/base/game_state.cpp src/base/replay_file.cpp src/game/board_model.cpp src/game/board_rules.cpp
  src/game/game_clock.cpp src/game/game_keys.cpp src/game/game_result.cpp src/game/game_round.cpp
  src/game/particles.cpp src/game/replay_check.cpp)
