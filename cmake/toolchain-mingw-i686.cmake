# toolchain-mingw-i686.cmake - 32-bit Windows with mingw-w64 (the DLLs with
# their export tables; nothing runs here).
set(KORVAN_MINGW_ZIEL i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
