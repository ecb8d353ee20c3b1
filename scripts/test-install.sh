#!/usr/bin/env bash
# Installs Korvan into a temporary prefix without its tests and builds the
# bundled C example against it, once with find_package(Korvan CONFIG) and once
# with pkg-config, and the C++ example with pkg-config; all must run, and so
# must the installed korvan command.  Then builds the .deb package, checks its
# contents and runs the command and the C example from the unpacked package.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs a command and compares its standard output with the expected text.
expect() {
  local want=$1; shift
  local got
  got=$("$@") || { echo "failed: $*" >&2; exit 1; }
  [ "$got" = "$want" ] || { printf 'wrong output of %s:\n%s\n' "$*" "$got" >&2; exit 1; }
}

cmake -S "$root" -B "$work/build" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$work/prefix" >/dev/null
cmake --build "$work/build" -j"$(nproc)" >/dev/null
cmake --install "$work/build" >/dev/null
for f in include/korvan.h include/korvan.hpp include/quidel32.h include/tamsel.h \
         lib/cmake/Korvan/KorvanConfig.cmake lib/pkgconfig/korvan.pc bin/korvan; do
  [ -f "$work/prefix/$f" ] || { echo "not installed: $f" >&2; exit 1; }
done

# The C example, as a program of its own would build it.
mkdir -p "$work/consumer"
cp examples/wert.c "$work/consumer/"
cat > "$work/consumer/CMakeLists.txt" <<'CM'
cmake_minimum_required(VERSION 3.22)
project(consumer C)
find_package(Korvan CONFIG REQUIRED)
add_executable(wert wert.c)
target_link_libraries(wert PRIVATE Korvan::korvan)
CM
cmake -S "$work/consumer" -B "$work/consumer/build" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/consumer/build" >/dev/null
expect 8080 "$work/consumer/build/wert" examples/beispiel.cfg server port
echo "find_package(Korvan CONFIG): ok"

pc_build() { # PKG_CONFIG_PATH LIBDIR OUTPUT
  PKG_CONFIG_PATH=$1 cc -std=c99 -Wall -Wextra -Werror -o "$3" "$work/consumer/wert.c" \
    $(PKG_CONFIG_PATH=$1 pkg-config --cflags --libs korvan) -Wl,-rpath,"$2"
}
pc_build "$work/prefix/lib/pkgconfig" "$work/prefix/lib" "$work/consumer/pc"
expect "Korvan build server" "$work/consumer/pc" examples/beispiel.cfg server name
echo "pkg-config korvan: ok"

# The C++ layer against the installed shared library alone.
c++ -std=c++20 -fno-exceptions -fno-rtti -o "$work/consumer/bloecke" "$root/examples/bloecke.cpp" \
  $(PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" pkg-config --cflags --libs korvan) -Wl,-rpath,"$work/prefix/lib"
"$work/consumer/bloecke" "$root/examples/beispiel.cfg" | grep -qx 'server.port=8080'
echo "korvan.hpp: ok"

# The installed command, on the bundled examples.
expect "examples/einbinden/haupt.cfg
examples/einbinden/teile/pfade.cfg
examples/einbinden/teile/ports.cfg
examples/einbinden/teile/server.cfg" "$work/prefix/bin/korvan" tree examples/einbinden SLASH
expect "a/b c" "$work/prefix/bin/korvan" path join a "b c" SLASH
expect 8080 "$work/prefix/bin/korvan" get examples/beispiel.cfg server port
echo "installed korvan: ok"

# The package: built by CPack, its contents listed, then unpacked and used
# where it lies.
(cd "$work/build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; exit 1; }
deb=$(ls "$work"/build/korvan_*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' > "$work/contents"
for f in ./usr/bin/korvan ./usr/include/korvan.h ./usr/include/korvan.hpp ./usr/include/quidel32.h ./usr/include/tamsel.h \
         ./usr/lib/libkorvan.so.0 ./usr/lib/libquidel32.so.0 ./usr/lib/libtamsel.so.0 \
         ./usr/lib/cmake/Korvan/KorvanConfig.cmake ./usr/lib/pkgconfig/korvan.pc; do
  grep -qx "$f" "$work/contents" || { echo "not in the package: $f" >&2; exit 1; }
done
dpkg-deb -x "$deb" "$work/deb"
expect "x/y" "$work/deb/usr/bin/korvan" path join x y SLASH
pc_build "$work/deb/usr/lib/pkgconfig" "$work/deb/usr/lib" "$work/consumer/deb"
expect 7 "$work/consumer/deb" examples/beispiel.cfg "backup job" keep
echo "package $(basename "$deb"): ok"
