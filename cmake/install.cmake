# Installs the game as Linux games are installed (executable in games/, data
# in share/games/quadrune) and packs the same files as a Debian package.
# The game's rules all belong to the "game" component; another part of the
# project joins with its own component and package.

# Directories get the usual modes whatever the umask of whoever installs.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(packaging ${PROJECT_BINARY_DIR}/packaging)
configure_file(packaging/metainfo.xml.in ${packaging}/${QUADRUNE_APP_ID}.metainfo.xml @ONLY)
configure_file(packaging/quadrune.6 ${packaging}/quadrune.6 @ONLY)
configure_file(packaging/changelog.in ${packaging}/changelog @ONLY)
configure_file(packaging/copyright.in ${packaging}/copyright @ONLY)

# Man pages and changelogs go compressed; -n keeps the bytes the same each time.
add_custom_command(
  OUTPUT ${packaging}/quadrune.6.gz ${packaging}/changelog.gz
  COMMAND gzip -9nkf quadrune.6 changelog
  WORKING_DIRECTORY ${packaging}
  DEPENDS ${packaging}/quadrune.6 ${packaging}/changelog
  VERBATIM)
add_custom_target(quadrune_packaging_files ALL DEPENDS ${packaging}/quadrune.6.gz ${packaging}/changelog.gz)

install(TARGETS quadrune RUNTIME DESTINATION games COMPONENT game)
install(DIRECTORY data/pics data/audio DESTINATION share/games/quadrune COMPONENT game)
foreach(size 48 64 128 256)
  install(FILES data/icons/quadrune-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME quadrune.png COMPONENT game)
endforeach()
install(FILES packaging/quadrune.desktop DESTINATION share/applications RENAME ${QUADRUNE_APP_ID}.desktop
        COMPONENT game)
install(FILES ${packaging}/${QUADRUNE_APP_ID}.metainfo.xml DESTINATION share/metainfo COMPONENT game)
install(FILES packaging/quadrune-replay.xml DESTINATION share/mime/packages COMPONENT game)
install(FILES ${packaging}/quadrune.6.gz DESTINATION share/man/man6 COMPONENT game)
install(FILES ${packaging}/copyright ${packaging}/changelog.gz DESTINATION share/doc/quadrune COMPONENT game)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quadrune)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Each package's description begins with its own summary line.
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game server)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUADRUNE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUADRUNE_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_GAME_PACKAGE_NAME quadrune)
set(CPACK_DEBIAN_GAME_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
set(CPACK_DEBIAN_GAME_PACKAGE_SHLIBDEPS ON)
# The library's generated dependency names the classic SDL 1.2, which has
# none of sdl12-compat's scaling or controller mapping: ask for the shim that
# replaces it (the shlibdeps ones are added after this).
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "libsdl1.2-compat-shim")
set(CPACK_DEBIAN_GAME_DESCRIPTION
    "block-swapping puzzle game on a 3-D board
A single-player puzzle game in one window. You move a cursor two cells wide
over a board of textured 3-D blocks and swap the two cells under it; three
or more blocks of one kind in a line are destroyed, and new blocks drop in.

Four game modes, two of them with highscore tables kept for each player.")
set(CPACK_DEBIAN_SERVER_PACKAGE_NAME quadrune-score-server)
set(CPACK_DEBIAN_SERVER_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
set(CPACK_DEBIAN_SERVER_PACKAGE_SHLIBDEPS ON)
# The browser game it serves under /play/ comes in a package of its own
# (tools/package_web.sh), built where emscripten is.
set(CPACK_DEBIAN_SERVER_PACKAGE_RECOMMENDS quadrune-web)
set(CPACK_DEBIAN_SERVER_DESCRIPTION "highscore server for Quadrune, which plays every replay again
Takes the game's score uploads and replays over HTTP, plays each replay
again with the game's own rules, and serves a leaderboard page and JSON in
which the rows a replay proved are marked verified. With quadrune-web
installed it also serves the game itself, to play and to watch replays in
the browser.

Keeps its rows in SQLite, or in PostgreSQL for more than one server.
Comes with a hardened systemd unit.")
include(CPack)

# The checks a distribution runs on the package, as part of the test suite.
if(QUADRUNE_TESTS)
  enable_testing()
  add_test(NAME package_checks COMMAND ${PROJECT_SOURCE_DIR}/tools/check_package.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(package_checks PROPERTIES LABELS package TIMEOUT 300)
  # Installs into a fresh Debian 12 tree from the archive: root and the network.
  add_test(NAME package_fresh_debian COMMAND ${PROJECT_SOURCE_DIR}/tools/check_package.sh --fresh-debian ${PROJECT_BINARY_DIR})
  set_tests_properties(package_fresh_debian PROPERTIES LABELS package TIMEOUT 900)
# Both run CPack in the one build folder, whose staging area they would share.
set_tests_properties(package_checks package_fresh_debian PROPERTIES RESOURCE_LOCK cpack_staging)
endif()
