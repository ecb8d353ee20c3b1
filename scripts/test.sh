#!/usr/bin/env bash
# Builds Korvan for every target of the test matrix and runs all tests:
#   native x86-64 (release), AddressSanitizer + UndefinedBehaviorSanitizer,
#   32-bit Linux (-m32, tests under qemu-i386) and the install check.
#   Further steps run when asked for by name: tsan (ThreadSanitizer), fuzz
#   (the fuzz targets, 25 seconds each), memcheck (every test under Valgrind),
#   bench (a smoke run of the benchmarks against their peers) and windows
#   (64-bit tests under wine, the 32-bit DLLs' tables).
# Usage: scripts/test.sh [STEP...]   (default: release asan linux-i386 install)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/deps.sh cmake make g++ g++-multilib qemu-user googletest libbenchmark-dev pkg-config binutils \
  dpkg-dev clang libclang-rt-14-dev valgrind libinih-dev cpp

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(release asan linux-i386 install)
jobs=$(nproc)

for p in "${presets[@]}"; do
  echo "=== $p ==="
  anfang=$SECONDS
  case "$p" in
    install)
      bash scripts/test-install.sh
      ;;
    windows)
      JOBS="$jobs" bash scripts/test-windows.sh
      ;;
    memcheck)
      # The release build of the first step, its tests under Valgrind.
      MEMCHECK_PRESET=release bash scripts/memcheck.sh
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
  echo "--- $p: $((SECONDS - anfang)) s"
done
echo "=== all passed: ${presets[*]} ==="
