#!/usr/bin/env bash
# test-windows.sh - builds both Windows builds and tests them: the 64-bit
# build's tests run under wine, the 32-bit build's DLLs have their export and
# import tables checked (the 64-bit DLLs' too).  Installs mingw-w64 and wine
# when they are missing and the script runs as root.
#
#   scripts/test-windows.sh        (JOBS=n sets the build's parallel jobs, default 2)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}

# --- tools --------------------------------------------------------------------
bash scripts/deps.sh cmake make googletest python3 g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64

# --- wine -----------------------------------------------------------------------
# A prefix of the project's own, and one wine server for the whole run, started
# apart from the tests: a server or service that a test started would hold the
# test's output open and keep ctest waiting.
export WINEPREFIX="$PWD/build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
# A server of this prefix left by an earlier run would refuse the new one.
wine_ende() { wineserver -k >/dev/null 2>&1 || true; }
wine_ende
trap wine_ende EXIT
setsid -w wineserver -p </dev/null >/dev/null 2>&1
setsid -w wine wineboot -i </dev/null >/dev/null 2>&1

# --- 64-bit: build, tests under wine ---------------------------------------------
cmake --preset windows-x64
cmake --build --preset windows-x64 -j"$jobs"
ctest --preset windows-x64 -j"$jobs"

# --- 32-bit: the DLLs and their tables ---------------------------------------------
cmake --preset windows-i686
cmake --build --preset windows-i686 -j"$jobs"
python3 scripts/dll-tabellen-pruefen.py build/windows-i686
python3 scripts/dll-tabellen-pruefen.py build/windows-x64
echo "test-windows.sh: all Windows checks passed"
