#!/usr/bin/env bash
# Builds Korvan for every target of the test matrix and runs all tests:
#   native x86-64 (release), AddressSanitizer + UndefinedBehaviorSanitizer,
#   32-bit Linux (-m32, tests under qemu-i386), the install check, and a
#   short smoke run of the benchmarks against their peers (bench/run.sh).
# Usage: scripts/test.sh [PRESET...]   (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/deps.sh cmake make g++ g++-multilib qemu-user googletest libbenchmark-dev pkg-config binutils \
  libinih-dev cpp

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(release asan linux-i386 install bench)
jobs=$(nproc)

for p in "${presets[@]}"; do
  echo "=== $p ==="
  case "$p" in
    install)
      bash scripts/test-install.sh
      ;;
    bench)
      # Every benchmark once at tiny sizes: it builds, runs and agrees with its peers.
      cmake --preset bench >/dev/null
      cmake --build --preset bench -j"$jobs"
      bash bench/run.sh --smoke --no-build >/dev/null
      ;;
    *)
      cmake --preset "$p" >/dev/null
      cmake --build --preset "$p" -j"$jobs"
      ctest --preset "$p" -j"$jobs"
      ;;
  esac
done
echo "=== all passed: ${presets[*]} ==="
