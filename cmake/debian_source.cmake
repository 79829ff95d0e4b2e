# fetch_debian_source(PACKAGE OUT_VAR): Debian's source package for PACKAGE,
# unpacked once into the build folder by tools/debian_source.sh; OUT_VAR
# names its tree. Nothing of it is kept in the repository.
function(fetch_debian_source package out_var)
  set(dest ${CMAKE_BINARY_DIR}/debian-sources)
  if(NOT EXISTS ${dest}/${package}/.unpacked)
    message(STATUS "Fetching Debian's source package ${package}")
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/tools/debian_source.sh ${package} ${dest}
      RESULT_VARIABLE result ERROR_VARIABLE error)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "apt-get source ${package} failed (it needs deb.debian.org): ${error}")
    endif()
  endif()
  set(${out_var} ${dest}/${package} PARENT_SCOPE)
endfunction()
