# The command line is a front end over the public API: a file of src/cli may include the public
# headers (tarnwick/), its own (cli/), CLI11 (CLI/) and the standard and POSIX headers (<name>,
# no folder), nothing else. The layer's include root shows the api folder too (the library's
# target lives there), so this test is the guard that keeps its private headers out.
# cmake -DSOURCE_DIR=<repository> -P cli_includes.cmake
file(GLOB files ${SOURCE_DIR}/src/cli/*.cpp ${SOURCE_DIR}/src/cli/*.h)
set(faults "")
foreach(path ${files})
  get_filename_component(name ${path} NAME)
  file(STRINGS ${path} includes REGEX "^#include")
  foreach(line ${includes})
    if(NOT line MATCHES "^#include (\"(tarnwick|cli|CLI)/[^\"]+\"|<CLI/[^>]+>|<[^/>]+>)$")
      string(APPEND faults "\n  src/cli/${name}: ${line}")
    endif()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "headers outside the public API in the command line:${faults}")
endif()
