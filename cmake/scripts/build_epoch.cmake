# The moment a build is dated by, in seconds since 1970, fixed when the build
# is configured: SOURCE_DATE_EPOCH when set (reproducible package builds),
# else the date of the last commit when the source folder is the top of a
# git tree, else the time of configuring. Neither the day of compiling nor
# a partial rebuild changes it.
#
# Included: skyloom_build_epoch(<source folder> <result variable>).
# Run with cmake -D SOURCE_DIR=... -P: prints the moment for that folder.

function(skyloom_build_epoch source_dir result)
  if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
      message(FATAL_ERROR "SOURCE_DATE_EPOCH is not a number of seconds: '$ENV{SOURCE_DATE_EPOCH}'")
    endif()
    set(${result} "$ENV{SOURCE_DATE_EPOCH}" PARENT_SCOPE)
    return()
  endif()
  find_program(SKYLOOM_GIT git)
  if(SKYLOOM_GIT)
    # Only the source's own tree: an unpacked source inside some other
    # repository (a home folder kept in git) takes that one's date otherwise.
    execute_process(COMMAND ${SKYLOOM_GIT} -C ${source_dir} rev-parse --show-toplevel
                    OUTPUT_VARIABLE top RESULT_VARIABLE status OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(status EQUAL 0)
      file(REAL_PATH "${top}" top)
      file(REAL_PATH "${source_dir}" source)
    endif()
    if(status EQUAL 0 AND top STREQUAL source)
      execute_process(COMMAND ${SKYLOOM_GIT} -C ${source_dir} log -1 --format=%ct
                      OUTPUT_VARIABLE commit_time RESULT_VARIABLE status OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(status EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
        set(${result} "${commit_time}" PARENT_SCOPE)
        return()
      endif()
    endif()
  endif()
  string(TIMESTAMP now "%s" UTC)
  set(${result} "${now}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  if(NOT DEFINED SOURCE_DIR)
    message(FATAL_ERROR "build_epoch.cmake needs -DSOURCE_DIR=...")
  endif()
  skyloom_build_epoch("${SOURCE_DIR}" epoch)
  message("${epoch}")
endif()
