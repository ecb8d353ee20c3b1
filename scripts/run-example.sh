#!/usr/bin/env bash
# Builds Korvan (release, without tests) and runs the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh cmake make g++
cmake -S . -B build/example -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/example -j"$(nproc)" >/dev/null
./build/example/examples/korvan-zeichen examples/beispiel.cfg
