# A front end over the public API: a file of src/<FRONT_END> may include the public headers
# (tarnwick/), its own (<FRONT_END>/), the library whose headers are in the folder LIBRARY
# (CLI11's CLI/, for the command line) and the standard and POSIX headers (<name>, no folder), nothing else. The front end's
# include root shows the api folder too (the library's target lives there), and a header of it,
# internal to the library, would compile as long as it includes public headers alone: this check
# reads the sources.
# cmake -DSOURCE_DIR=<repository> -DFRONT_END=cli|dialogue [-DLIBRARY=CLI] -P front_end_includes.cmake
set(allowed "\"(tarnwick|${FRONT_END})/[^\"]+\"|<[^/>]+>")
if(LIBRARY)
  string(APPEND allowed "|\"${LIBRARY}/[^\"]+\"|<${LIBRARY}/[^>]+>")
endif()
file(GLOB files ${SOURCE_DIR}/src/${FRONT_END}/*.cpp ${SOURCE_DIR}/src/${FRONT_END}/*.h)
if(NOT files)
  message(FATAL_ERROR "no sources in src/${FRONT_END}")
endif()
set(faults "")
foreach(path ${files})
  get_filename_component(name ${path} NAME)
  file(STRINGS ${path} includes REGEX "^#include")
  foreach(line ${includes})
    if(NOT line MATCHES "^#include (${allowed})$")
      string(APPEND faults "\n  src/${FRONT_END}/${name}: ${line}")
    endif()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "headers outside the public API in src/${FRONT_END}:${faults}")
endif()
