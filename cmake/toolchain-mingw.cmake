# toolchain-mingw.cmake - shared part of the mingw-w64 toolchains; the
# including file sets KORVAN_MINGW_ZIEL and CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: std::mutex needs it with this compiler generation.
set(CMAKE_C_COMPILER ${KORVAN_MINGW_ZIEL}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVAN_MINGW_ZIEL}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVAN_MINGW_ZIEL}-windres)
set(CMAKE_DLLTOOL ${KORVAN_MINGW_ZIEL}-dlltool)
set(CMAKE_OBJDUMP ${KORVAN_MINGW_ZIEL}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${KORVAN_MINGW_ZIEL})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime's own libraries (libgcc, libstdc++, winpthread) are linked in,
# so programs and DLLs need no DLL beside them but the system's.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
