# The installed data files (language files and the like) live in
# <prefix>/share/skyloom, and the program finds them relative to itself at
# <program folder>/../share/skyloom. The build folder repeats that layout,
# with the program in bin/, so a program run from any build folder finds
# the data of that build and no source path is built in. An installation
# keeps the same fixed layout below its prefix: bin/ and share/skyloom/.

set(SKYLOOM_DATA_SOURCE_DIR ${CMAKE_SOURCE_DIR}/data)
set(SKYLOOM_DATA_BUILD_DIR ${CMAKE_BINARY_DIR}/share/skyloom)

# The programs go to bin/, side by side as installed, so the companion
# launchers find the saver beside them in a build folder too. Deferred:
# some of them are defined by parts read after this one.
function(skyloom_programs_into_bin)
  foreach(program IN ITEMS skyloom skyloom-configure skyloom-weblink)
    if(TARGET ${program})
      set_target_properties(${program} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    endif()
  endforeach()
endfunction()
cmake_language(DEFER CALL skyloom_programs_into_bin)

# Copied when CMake configures, and again whenever a data file changes
# (configure_file makes the build re-run CMake), so tests see the data
# without depending on a build target.
file(GLOB_RECURSE SKYLOOM_DATA_FILES CONFIGURE_DEPENDS
     RELATIVE ${SKYLOOM_DATA_SOURCE_DIR} ${SKYLOOM_DATA_SOURCE_DIR}/*)
list(SORT SKYLOOM_DATA_FILES)

# Files copied by an earlier run whose source has gone are removed, so a
# deleted language file does not linger in the build.
set(SKYLOOM_DATA_MANIFEST ${CMAKE_BINARY_DIR}/skyloom_data_files.txt)
if(EXISTS ${SKYLOOM_DATA_MANIFEST})
  file(STRINGS ${SKYLOOM_DATA_MANIFEST} SKYLOOM_DATA_PREVIOUS)
  foreach(file IN LISTS SKYLOOM_DATA_PREVIOUS)
    if(NOT file IN_LIST SKYLOOM_DATA_FILES)
      file(REMOVE ${SKYLOOM_DATA_BUILD_DIR}/${file})
    endif()
  endforeach()
endif()

foreach(file IN LISTS SKYLOOM_DATA_FILES)
  configure_file(${SKYLOOM_DATA_SOURCE_DIR}/${file} ${SKYLOOM_DATA_BUILD_DIR}/${file} COPYONLY)
endforeach()
string(REPLACE ";" "\n" SKYLOOM_DATA_MANIFEST_TEXT "${SKYLOOM_DATA_FILES}")
file(WRITE ${SKYLOOM_DATA_MANIFEST} "${SKYLOOM_DATA_MANIFEST_TEXT}\n")

install(DIRECTORY ${SKYLOOM_DATA_SOURCE_DIR}/ DESTINATION share/skyloom)
