# The command line is a front end over the public API: a file of src/cli may include the public
# headers (tarnwick/), its own (cli/), CLI11 (CLI/) and the standard and POSIX headers (<name>,
# no folder), nothing else. Files still on the internal layers are listed as pending; a listed
# file that is clean fails too, so that the list only shrinks.
# cmake -DSOURCE_DIR=<repository> -P cli_includes.cmake
set(pending command_line.cpp data_options.cpp data_options.h fit_command.cpp fit_command.h
            mcmle_options.h sampling_options.h saved_fit.cpp saved_fit.h simulate_command.cpp
            simulate_command.h summary_command.cpp summary_command.h)
file(GLOB files ${SOURCE_DIR}/src/cli/*.cpp ${SOURCE_DIR}/src/cli/*.h)
set(faults "")
foreach(path ${files})
  get_filename_component(name ${path} NAME)
  file(STRINGS ${path} includes REGEX "^#include")
  set(outside "")
  foreach(line ${includes})
    if(NOT line MATCHES "^#include (\"(tarnwick|cli|CLI)/[^\"]+\"|<CLI/[^>]+>|<[^/>]+>)$")
      string(APPEND outside " ${line}")
    endif()
  endforeach()
  list(FIND pending ${name} listed)
  if(outside AND listed EQUAL -1)
    string(APPEND faults "\n  src/cli/${name}:${outside}")
  elseif(NOT outside AND NOT listed EQUAL -1)
    string(APPEND faults "\n  src/cli/${name} includes only the public API: take it off the list")
  endif()
endforeach()
if(faults)
  message(FATAL_ERROR "headers outside the public API in the command line:${faults}")
endif()
