# toolchain-mingw-x86_64.cmake - 64-bit Windows with mingw-w64; the programs
# run under wine.
set(KORVAN_MINGW_ZIEL x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
