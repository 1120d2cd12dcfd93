# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads), run
# through Wine. The runtime is linked in statically so that the .exe files need
# no MinGW DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TUNECRATE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TUNECRATE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TUNECRATE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TUNECRATE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TUNECRATE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static also takes in winpthread, which the posix-thread runtime needs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(TUNECRATE_WINE NAMES wine)
if(TUNECRATE_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TUNECRATE_WINE})
endif()
