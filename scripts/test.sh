#!/usr/bin/env bash
# Builds Korvan for every target of the test matrix and runs all tests:
#   native x86-64 (release), AddressSanitizer + UndefinedBehaviorSanitizer,
#   32-bit Linux (-m32, tests under qemu-i386), the install check, and the
#   Windows builds (64-bit tests under wine, the 32-bit DLLs' tables).
# Usage: scripts/test.sh [STEP...]   (default: all; a step is a preset,
#   install or windows)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/deps.sh cmake make g++ g++-multilib qemu-user googletest libbenchmark-dev pkg-config binutils dpkg-dev

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(release asan linux-i386 install windows)
jobs=$(nproc)

for p in "${presets[@]}"; do
  echo "=== $p ==="
  case "$p" in
    install)
      bash scripts/test-install.sh
      ;;
    windows)
      JOBS="$jobs" bash scripts/test-windows.sh
      ;;
    *)
      cmake --preset "$p" >/dev/null
      cmake --build --preset "$p" -j"$jobs"
      ctest --preset "$p" -j"$jobs"
      ;;
  esac
done
echo "=== all passed: ${presets[*]} ==="
