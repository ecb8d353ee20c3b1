#!/usr/bin/env bash
# Builds Korvan for every target of the test matrix and runs all tests:
#   native x86-64 (release), AddressSanitizer + UndefinedBehaviorSanitizer,
#   32-bit Linux (-m32, tests under qemu-i386), ThreadSanitizer, the fuzz
#   targets (25 seconds each), the install check, a short smoke run of the
#   benchmarks against their peers (bench/run.sh), and the Windows builds
#   (64-bit tests under wine, the 32-bit DLLs' tables).  The memcheck step
#   (every test under Valgrind) runs when asked for by name.
# Usage: scripts/test.sh [STEP...]   (default: all but memcheck; a step is a
#   preset, fuzz, memcheck, install, bench or windows)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/deps.sh cmake make g++ g++-multilib qemu-user googletest libbenchmark-dev pkg-config binutils \
  dpkg-dev clang libclang-rt-14-dev valgrind libinih-dev cpp

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(release asan linux-i386 tsan fuzz install bench windows)
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
