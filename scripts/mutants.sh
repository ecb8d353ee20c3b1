#!/usr/bin/env bash
# The mutation check: how many of a fixed sample of small faults in the
# library's sources the tests catch (scripts/mutanten.py says how).  Runs
# outside CI; a run of the default 160 faults takes the better part of an
# hour on two cores.
#   scripts/mutants.sh [--count N] [--seed S] [--jobs J] [--first N] [--list] [--keep]
#                      [--only PATH...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh cmake make g++ googletest python3
exec python3 scripts/mutanten.py "$@"
