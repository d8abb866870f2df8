# Cross toolchain for the win32 build: 32-bit Windows with MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(ORVEL_MINGW i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${ORVEL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVEL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER  ${ORVEL_MINGW}-windres)

# The Windows builds of the third-party libraries live in a prefix outside the tree
# (scripts/build-win32-deps.sh prints it).
set(ORVEL_DEPS "$ENV{ORVEL_DEPS}" CACHE PATH "Prefix with the Windows builds of the third-party libraries")
set(CMAKE_FIND_ROOT_PATH /usr/${ORVEL_MINGW} ${ORVEL_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
