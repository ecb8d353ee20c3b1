#!/usr/bin/env bash
# Builds Korvan (release, without tests) and runs the korvan command on the
# bundled examples.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh cmake make g++
cmake -S . -B build/example -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/example -j"$(nproc)" >/dev/null

# Shows each command before its output.
korvan() {
  local zeile=korvan a
  for a in "$@"; do
    case $a in
      *[!A-Za-z0-9_./=*-]*|'') zeile+=" '$a'" ;;
      *) zeile+=" $a" ;;
    esac
  done
  printf '\n$ %s\n' "$zeile"
  build/example/tools/korvan "$@"
}

korvan sections examples/beispiel.cfg
korvan show examples/beispiel.cfg server
korvan get examples/beispiel.cfg paths archive
korvan args "FROM/M,TO/A,QUIET/S" "a.txt b.txt backup quiet"
korvan preprocess examples/einbinden/haupt.cfg
korvan tree examples/einbinden
