# Cross-building for 64-bit Windows with Debian's MinGW-w64 (posix threads).
# KELMI_QT_WINDOWS names the prefix of a Qt built for Windows; CMake then looks for Qt there
# and for every other library in the MinGW-w64 system root only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw}-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KELMI_QT_WINDOWS)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw})
if(KELMI_QT_WINDOWS)
    list(APPEND CMAKE_FIND_ROOT_PATH ${KELMI_QT_WINDOWS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
