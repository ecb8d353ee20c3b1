#!/usr/bin/env bash
# Builds the Debian packages libkorvan0, libkorvan-dev and korvan from the
# working tree with dpkg-buildpackage, runs lintian on them (an error fails),
# installs them and builds C and C++ programs against them with pkg-config
# and with find_package(Korvan CONFIG), runs those and the command, checks
# that dpkg-shlibdeps names libkorvan0 for a program, that `man korvan`
# renders, and that removing the packages leaves none of their files behind.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
pakete=(korvan libkorvan-dev libkorvan0)
bash scripts/deps.sh dpkg-dev debhelper lintian man-db pkg-config cmake make g++
if [ "$(id -u)" -ne 0 ]; then
  echo "the install check installs packages and must run as root" >&2
  exit 1
fi
for p in "${pakete[@]}"; do
  if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    echo "$p is installed already; remove it before the install check" >&2
    exit 1
  fi
done
work=$(mktemp -d)
aufraeumen() {
  dpkg -P "${pakete[@]}" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap aufraeumen EXIT

# Runs a command and compares its standard output with the expected text.
expect() {
  local want=$1; shift
  local got
  got=$("$@") || { echo "failed: $*" >&2; exit 1; }
  got=${got%"${got##*[! ]}"} # some pkg-config versions end the line in a blank
  [ "$got" = "$want" ] || { printf 'wrong output of %s:\n%s\n' "$*" "$got" >&2; exit 1; }
}

# The working tree as it stands, build folders left out.
mkdir "$work/korvan"
git ls-files -co --exclude-standard -z | tar --null -T - -cf - | tar -xf - -C "$work/korvan"
(cd "$work/korvan" && dpkg-buildpackage -us -uc -b -j"$(nproc)" >"$work/build.log" 2>&1) ||
  { tail -40 "$work/build.log" >&2; exit 1; }
version=$(dpkg-parsechangelog -l debian/changelog -S Version)
debs=()
for p in "${pakete[@]}"; do debs+=("$work/${p}_${version}_$(dpkg --print-architecture).deb"); done
echo "built: $(cd "$work" && ls -- *.deb | tr '\n' ' ')"

lintian --fail-on error "${debs[@]}" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "${debs[@]}" >/dev/null 2>&1 || { echo "lintian reports errors" >&2; exit 1; }
echo "lintian: no errors"

dpkg -i "${debs[@]}" >/dev/null
for p in "${pakete[@]}"; do dpkg -L "$p" >>"$work/dateien"; done
for f in /usr/include/korvan/korvan.h /usr/include/korvan/korvan.hpp /usr/include/korvan/quidel32.h \
         /usr/include/korvan/tamsel.h /usr/bin/korvan /usr/share/man/man1/korvan.1.gz; do
  grep -qx "$f" "$work/dateien" || { echo "not installed: $f" >&2; exit 1; }
done

# The examples, as programs of their own would build them.
expect "-I/usr/include/korvan -lkorvan" pkg-config --cflags --libs korvan
c=$work/consumer
mkdir -p "$c"
cp examples/wert.c examples/bloecke.cpp "$c/"
cc -std=c99 -Wall -Wextra -Werror -o "$c/wert-pc" "$c/wert.c" $(pkg-config --cflags --libs korvan)
c++ -std=c++20 -Wall -Wextra -Werror -fno-exceptions -fno-rtti -o "$c/bloecke-pc" "$c/bloecke.cpp" \
  $(pkg-config --cflags --libs korvan)
cat > "$c/CMakeLists.txt" <<'CM'
cmake_minimum_required(VERSION 3.22)
project(consumer C CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(Korvan CONFIG REQUIRED)
add_executable(wert wert.c)
target_link_libraries(wert PRIVATE Korvan::korvan)
add_executable(bloecke bloecke.cpp)
target_link_libraries(bloecke PRIVATE Korvan::korvan)
CM
cmake -S "$c" -B "$c/build" >/dev/null
cmake --build "$c/build" >/dev/null
for wert in "$c/wert-pc" "$c/build/wert"; do
  expect "Korvan build server" "$wert" examples/beispiel.cfg server name
done
for bloecke in "$c/bloecke-pc" "$c/build/bloecke"; do
  "$bloecke" examples/beispiel.cfg | grep -qx 'backup job.keep=7' || { echo "failed: $bloecke" >&2; exit 1; }
done
echo "pkg-config korvan and find_package(Korvan CONFIG), C and C++: ok"

# A package of the program would depend on libkorvan0.
mkdir -p "$c/debian/consumer/usr/bin"
printf 'Source: consumer\n\nPackage: consumer\nArchitecture: any\n' >"$c/debian/control"
cp "$c/build/wert" "$c/build/bloecke" "$c/debian/consumer/usr/bin/"
abh=$(cd "$c" && dpkg-shlibdeps -O debian/consumer/usr/bin/wert debian/consumer/usr/bin/bloecke)
echo "$abh" | grep -q 'libkorvan0 (>= ' || { echo "dpkg-shlibdeps: $abh" >&2; exit 1; }
echo "dpkg-shlibdeps: ${abh#shlibs:Depends=}"

expect "a/b c" korvan path join a "b c"
expect 8080 korvan get examples/beispiel.cfg server port
MANWIDTH=80 man korvan 2>"$work/man.err" | grep -q '^       path join \[OPTION\]\.\.\. BASE PART\.\.\.$' ||
  { echo "man korvan does not render the subcommands" >&2; cat "$work/man.err" >&2; exit 1; }
[ ! -s "$work/man.err" ] || { cat "$work/man.err" >&2; exit 1; }
echo "korvan and man korvan: ok"

dpkg -P "${pakete[@]}" >/dev/null
for p in "${pakete[@]}"; do
  ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q installed ||
    { echo "still installed: $p" >&2; exit 1; }
done
# Every file and link of the packages is gone; of their folders, only those
# that other packages share remain.
while read -r f; do
  if [ -L "$f" ] || { [ -e "$f" ] && [ ! -d "$f" ]; }; then
    echo "left behind: $f" >&2; exit 1
  fi
done <"$work/dateien"
for d in /usr/include/korvan /usr/lib/"$(dpkg-architecture -qDEB_HOST_MULTIARCH)"/cmake/Korvan \
         /usr/share/doc/korvan /usr/share/doc/libkorvan0 /usr/share/doc/libkorvan-dev; do
  [ ! -e "$d" ] || { echo "left behind: $d" >&2; exit 1; }
done
echo "removed, nothing left behind"
