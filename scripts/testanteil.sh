#!/usr/bin/env bash
# The tests' share of the code: non-blank lines of every file under tests/
# and fuzz/ (seed corpora and dictionaries left out) against the non-blank
# lines of the C and C++ files of src, include, quidel32, tamsel and tools.
set -euo pipefail
cd "$(dirname "$0")/.."
zeilen() { if [ $# -gt 0 ]; then cat "$@" | grep -cv '^[[:space:]]*$'; else echo 0; fi; }
mapfile -t tests < <(git ls-files tests fuzz | grep -v '^fuzz/corpus/' | grep -v '\.dict$')
mapfile -t code < <(git ls-files src include quidel32 tamsel tools | grep -E '\.(c|cpp|h|hpp)$')
t=$(zeilen "${tests[@]}")
c=$(zeilen "${code[@]}")
echo "tests $t, code $c: $((100 * t / c)) %"
