# Cross-compiling for 64-bit Windows on Debian with MinGW-w64 (the -posix compilers, whose C++ run-time
# has std::thread), and running what is built under Wine. scripts/windows passes the prefixes that hold
# Qt, QCustomPlot and SQLite for Windows in STEEL_WINDOWS_PREFIXES (a list).
# SPDX-License-Identifier: GPL-3.0-or-later
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(STEEL_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${STEEL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${STEEL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${STEEL_MINGW}-windres)

# Try-compiles and the project see the same prefixes.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES STEEL_WINDOWS_PREFIXES)
set(CMAKE_FIND_ROOT_PATH /usr/${STEEL_MINGW} ${STEEL_WINDOWS_PREFIXES})
list(APPEND CMAKE_PREFIX_PATH ${STEEL_WINDOWS_PREFIXES})
# Programs (moc, uic, rcc of the cross-built Qt, wine64) are the build machine's; everything linked
# into the programs comes from the Windows prefixes only, never from Debian's Linux libraries.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and build steps that run a program built here run it under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../dist/windows/wine-run)

# Translations are data, the same for every system: the build machine's own lrelease (Debian's Qt
# tools, which the Windows Qt does not build) compiles them.
set(Qt5LinguistTools_DIR /usr/lib/x86_64-linux-gnu/cmake/Qt5LinguistTools CACHE PATH "")
