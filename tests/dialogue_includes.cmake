# The dialogue is a front end over the public API: a file of src/dialogue may include the public
# headers (tarnwick/), its own (dialogue/) and the standard headers (<name>, no folder), nothing
# else. Its include root shows only src/api besides its own folder, but a header of src/api
# (internal to the library) would compile there as long as it includes public headers alone, and
# the root of an older build may still show the layers below; this check reads the sources.
# cmake -DSOURCE_DIR=<repository> -P dialogue_includes.cmake
file(GLOB files ${SOURCE_DIR}/src/dialogue/*.cpp ${SOURCE_DIR}/src/dialogue/*.h)
set(faults "")
foreach(path ${files})
  get_filename_component(name ${path} NAME)
  file(STRINGS ${path} includes REGEX "^#include")
  foreach(line ${includes})
    if(NOT line MATCHES "^#include (\"(tarnwick|dialogue)/[^\"]+\"|<[^/>]+>)$")
      string(APPEND faults "\n  src/dialogue/${name}: ${line}")
    endif()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "headers outside the public API in the dialogue:${faults}")
endif()
