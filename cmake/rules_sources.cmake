# The rules core's sources, for the game's build, the server, the fuzzers and the web build alike.
file(GLOB QUADRUNE_RULES_SOURCES RELATIVE ${CMAKE_CURRENT_LIST_DIR}/.. CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/../src/rules/*.cpp)
