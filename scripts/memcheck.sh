#!/usr/bin/env bash
# Runs every test program under Valgrind's memcheck: an invalid access, a use
# of uninitialised memory or a leak fails the run.
#   [MEMCHECK_PRESET=release] scripts/memcheck.sh [TEST...]
# The build of the preset (default debug, whose reports name source lines) is
# brought up to date first; by default every tests/<folder> runs.  Each
# program's report goes to build/<preset>/memcheck/test_<folder>.log.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh valgrind
preset=${MEMCHECK_PRESET:-debug}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)" >/dev/null
bin=build/$preset/tests

tests=("$@")
if [ ${#tests[@]} -eq 0 ]; then
  for d in tests/*/; do
    name=$(basename "$d")
    [ -x "$bin/test_$name" ] && tests+=("$name")
  done
fi

export KORVAN_TESTDATEN="$PWD/tests/daten" bin
mkdir -p "build/$preset/memcheck"

# One program under memcheck; its line of the summary on standard output.
pruefen() {
  local t=$1 log=build/$preset/memcheck/test_$1.log anfang=$SECONDS
  if valgrind -q --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect,possible \
       --errors-for-leak-kinds=definite,indirect,possible --num-callers=40 \
       "$bin/test_$t" >"$log" 2>&1; then
    echo "memcheck test_$t: clean ($((SECONDS - anfang)) s)"
  else
    echo "memcheck test_$t: FAILED ($((SECONDS - anfang)) s), see $log"
    grep -E '^==[0-9]+==' "$log" | head -40 || tail -40 "$log"
    return 1
  fi
}
export -f pruefen
export preset

# The programs run side by side, as many as there are cores.
printf '%s\n' "${tests[@]}" | xargs -P "$(nproc)" -I{} bash -c 'pruefen {}'
