#!/usr/bin/env bash
# Installs Korvan into a temporary prefix without its tests and builds a small
# consumer against it, once with find_package(Korvan CONFIG) and once with
# pkg-config, and the C++ example with pkg-config; all must run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S "$root" -B "$work/build" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$work/prefix" >/dev/null
cmake --build "$work/build" -j"$(nproc)" >/dev/null
cmake --install "$work/build" >/dev/null
for f in include/korvan.h include/korvan.hpp include/quidel32.h include/tamsel.h lib/cmake/Korvan/KorvanConfig.cmake \
         lib/pkgconfig/korvan.pc; do
  [ -f "$work/prefix/$f" ] || { echo "not installed: $f" >&2; exit 1; }
done

mkdir -p "$work/consumer"
cat > "$work/consumer/main.c" <<'C'
#include <korvan.h>
#include <stdio.h>
#include <string.h>
int main(void)
{
    char text[] = "[a]\nx: 1\n";
    Zugriffshandle h;
    memset(&h, 0, sizeof h);
    h.puffer = text;
    h.laenge = sizeof text - 1;
    int c, n = 0;
    while ((c = KR_Zeichen_lesen(&h)) != -1)
        n++;
    printf("%d\n", n);
    return n == 9 ? 0 : 1;
}
C
cat > "$work/consumer/CMakeLists.txt" <<'CM'
cmake_minimum_required(VERSION 3.22)
project(consumer C)
find_package(Korvan CONFIG REQUIRED)
add_executable(consumer main.c)
target_link_libraries(consumer PRIVATE Korvan::korvan)
CM
cmake -S "$work/consumer" -B "$work/consumer/build" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/consumer/build" >/dev/null
"$work/consumer/build/consumer" >/dev/null
echo "find_package(Korvan CONFIG): ok"

export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig"
cc -std=c99 -o "$work/consumer/pc" "$work/consumer/main.c" $(pkg-config --cflags --libs korvan) \
  -Wl,-rpath,"$work/prefix/lib"
"$work/consumer/pc" >/dev/null
echo "pkg-config korvan: ok"

# The C++ layer against the installed shared library alone.
c++ -std=c++20 -fno-exceptions -fno-rtti -o "$work/consumer/bloecke" "$root/examples/bloecke.cpp" \
  $(pkg-config --cflags --libs korvan) -Wl,-rpath,"$work/prefix/lib"
"$work/consumer/bloecke" "$root/examples/beispiel.cfg" | grep -qx 'server.port=8080'
echo "korvan.hpp: ok"
