#!/usr/bin/env bash
# Builds Korvan for every target of the test matrix and runs all tests:
#   release   native x86-64, and the benchmark programs
#   bench     a smoke run of the benchmarks against their peers (tiny sizes)
#   asan      AddressSanitizer + UndefinedBehaviorSanitizer
#   linux-i386  -m32, tests under qemu-i386
#   install   the Debian packages: built, lintian, installed, used by C and C++ programs, removed
#   windows   64-bit tests under wine, the 32-bit DLLs' tables
#   tsan      the concurrency stress test under ThreadSanitizer (tests/nebenlaeufig)
#   fuzz      every fuzz target on its corpus for a short time (clang)
#   memcheck  every test program of the release build under Valgrind
# Usage: scripts/test.sh [STEP...]   (default: every step, in this order)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/deps.sh cmake make g++ g++-multilib qemu-user googletest libbenchmark-dev pkg-config binutils \
  dpkg-dev clang libclang-rt-14-dev valgrind libinih-dev cpp

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(release bench asan linux-i386 install windows tsan fuzz memcheck)
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
      # Every benchmark once at tiny sizes: it builds, runs and agrees with its
      # peers.  The release step's build has the programs; alone, the step
      # makes the bench preset's.
      if [ -x build/release/bench/bench_konfig ]; then
        bash bench/run.sh --smoke --bin build/release/bench >/dev/null
      else
        bash bench/run.sh --smoke >/dev/null
      fi
      ;;
    tsan)
      # The concurrency stress test; the rest of the suite runs single-threaded.
      cmake --preset tsan >/dev/null
      cmake --build --preset tsan -j"$jobs" --target test_nebenlaeufig
      ctest --preset tsan -R '^nebenlaeufig$'
      ;;
    release)
      # The benchmark programs are built here too, for the bench step.
      cmake --preset release -DKORVAN_BENCHMARKS=ON >/dev/null
      cmake --build --preset release -j"$jobs"
      ctest --preset release -j"$jobs"
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
