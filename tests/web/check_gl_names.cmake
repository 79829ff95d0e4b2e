# Every name web/gl_compat.h renames onto the layer must be undone by
# web/gl_real.h, or the layer's call to the real GL calls the layer again.
#   cmake -DSRC=<src dir> -P tests/web/check_gl_names.cmake
file(STRINGS ${SRC}/web/gl_compat.h defines REGEX "^#define gl")
file(STRINGS ${SRC}/web/gl_real.h undefs REGEX "^#undef gl")
list(TRANSFORM defines REPLACE "^#define ([A-Za-z0-9_]+) .*" "\\1")
list(TRANSFORM undefs REPLACE "^#undef ([A-Za-z0-9_]+).*" "\\1")
list(SORT defines)
list(SORT undefs)
if(NOT defines STREQUAL undefs)
  message(FATAL_ERROR "renamed: ${defines}\nundone: ${undefs}")
endif()
list(LENGTH defines count)
message(STATUS "${count} GL names renamed onto the layer and undone for it")
