# The game for the browser: the game's own sources, except the few files
# whose platform the browser replaces, plus src/web. zlib and libpng come
# built by tools/build_web.sh from Debian's sources into QUADRUNE_WEB_DEPS.
set(QUADRUNE_WEB_DEPS "" CACHE PATH "Prefix holding zlib and libpng built with emcc")
set(QUADRUNE_WEB_FREEGLUT "" CACHE PATH "Debian's freeglut source, for its bitmap fonts")
if(NOT EXISTS ${QUADRUNE_WEB_DEPS}/lib/libpng.a OR NOT EXISTS ${QUADRUNE_WEB_DEPS}/lib/libz.a)
  message(FATAL_ERROR "QUADRUNE_WEB_DEPS must hold lib/libz.a and lib/libpng.a: use tools/build_web.sh")
endif()
# Unused in the browser, where uploads go to the page's origin and the prompt
# names its host: a name that can never resolve, should one slip through.
set(QUADRUNE_SCORE_HOST "page-origin.invalid")
set(QUADRUNE_SCORE_DOMAIN "page-origin.invalid")
set(QUADRUNE_SCORE_PORT "80")

include(cmake/rules_sources.cmake)
file(GLOB_RECURSE web_game_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*.cpp)
# What the browser does its own way: the player's folder, the sound device and
# its decoder, GLUT's start over X, and the seam table's defaults.
foreach(replaced platform/player_dir.cpp platform/default_seams.cpp sound/sound_device.cpp
        sound/sound_decoder.cpp render/bitmap_font_init.cpp)
  list(REMOVE_ITEM web_game_sources ${PROJECT_SOURCE_DIR}/src/${replaced})
endforeach()

add_executable(quadrune ${web_game_sources})
set_target_properties(quadrune PROPERTIES SUFFIX ".js")
# src/web/include stands in for the headers of libraries the browser lacks
# (SDL_net, libsndfile) and gives SDL's keys their 1.2 numbers.
target_include_directories(quadrune PRIVATE ${PROJECT_SOURCE_DIR}/src/web/include ${PROJECT_SOURCE_DIR}/src
  ${QUADRUNE_WEB_DEPS}/include)
target_compile_definitions(quadrune PRIVATE
  QUADRUNE_SCORE_HOST="${QUADRUNE_SCORE_HOST}"
  QUADRUNE_SCORE_DOMAIN="${QUADRUNE_SCORE_DOMAIN}"
  QUADRUNE_SCORE_PORT=${QUADRUNE_SCORE_PORT})
target_link_libraries(quadrune PRIVATE ${QUADRUNE_WEB_DEPS}/lib/libpng.a ${QUADRUNE_WEB_DEPS}/lib/libz.a)

set(web_link_options -sLEGACY_GL_EMULATION -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sALLOW_MEMORY_GROWTH
  -sINITIAL_MEMORY=67108864 -sFORCE_FILESYSTEM -lidbfs.js -sEXIT_RUNTIME=1 -sINVOKE_RUN=0
  -sEXPORTED_RUNTIME_METHODS=FS,ccall,setValue,stringToUTF8,lengthBytesUTF8,addRunDependency,removeRunDependency
  -sEXPORTED_FUNCTIONS=_main,_malloc -sENVIRONMENT=web -sMODULARIZE=0
  "SHELL:--pre-js ${PROJECT_SOURCE_DIR}/web/quadrune_pre.js"
  "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/data@/game/data")
# The GL 1.1 the emulation lacks comes from src/web/gl_*: every game source
# sees it first. Until it is there, its functions stay unresolved.
if(EXISTS ${PROJECT_SOURCE_DIR}/src/web/gl_compat.h)
  target_compile_options(quadrune PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include web/gl_compat.h>")
  # Its bitmap text draws freeglut's own glyphs, from Debian's source.
  set(font_data ${QUADRUNE_WEB_FREEGLUT}/src/fg_font_data.c)
  if(NOT EXISTS ${font_data})
    message(FATAL_ERROR "QUADRUNE_WEB_FREEGLUT must hold freeglut's source: use tools/build_web.sh")
  endif()
  set_source_files_properties(${font_data} PROPERTIES
    COMPILE_OPTIONS "-include;${PROJECT_SOURCE_DIR}/src/web/gl_freeglut_font.h")
  target_sources(quadrune PRIVATE ${font_data})
else()
  # Stand-ins that draw nothing, so the rest of the game can run meanwhile.
  list(APPEND web_link_options -sERROR_ON_UNDEFINED_SYMBOLS=0)
  target_sources(quadrune PRIVATE ${PROJECT_SOURCE_DIR}/cmake/web_gl_absent.cpp)
endif()
target_link_options(quadrune PRIVATE ${web_link_options})
set_property(TARGET quadrune APPEND PROPERTY LINK_DEPENDS
  ${PROJECT_SOURCE_DIR}/web/quadrune_pre.js)
