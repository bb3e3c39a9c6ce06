# Cross build for 64-bit Windows with Debian's mingw-w64 (posix thread model), run under Wine.
#   cmake --preset mingw   (see CMakePresets.json)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KELVO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KELVO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELVO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KELVO_MINGW_PREFIX}-windres)
set(CMAKE_AR ${KELVO_MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${KELVO_MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${KELVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs carry their C++ runtime and thread library, so Wine needs no DLLs from the build.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

find_program(KELVO_WINE NAMES wine wine64)
if(KELVO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KELVO_WINE})
endif()
