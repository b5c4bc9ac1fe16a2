# Cross-compiles for 64-bit Windows with Debian's MinGW-w64, in the flavour
# with POSIX threads that std::thread and std::mutex need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SKYLOOM_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SKYLOOM_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SKYLOOM_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SKYLOOM_MINGW_TRIPLET}-windres)

# Headers and libraries come from the MinGW tree only, never the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${SKYLOOM_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
