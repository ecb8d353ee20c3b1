#!/usr/bin/env bash
# Runs the fuzz targets long, one after another at the lowest priority, and
# reports per target how many inputs ran without a finding.
#   scripts/fuzz-long.sh [-n RUNS | -t SECONDS] [SUBJECT...]
# Default: 10 million inputs for every fuzz/fuzz_<subject>.cpp.  Logs go to
# build/fuzz/lang/<subject>.log, new inputs to build/fuzz/fuzz/arbeit/<subject>,
# a finding to build/fuzz/fuzz/funde/.  The time limit per input (300 s) is generous:
# at the lowest priority on a busy machine a run can wait long for a core.
set -euo pipefail
cd "$(dirname "$0")/.."

grenze=(-runs=10000000)
while getopts n:t: opt; do
  case "$opt" in
    n) grenze=(-runs="$OPTARG") ;;
    t) grenze=(-max_total_time="$OPTARG") ;;
    *) echo "usage: $0 [-n RUNS | -t SECONDS] [SUBJECT...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))

themen=("$@")
if [ ${#themen[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*.cpp; do
    t=$(basename "$f" .cpp)
    themen+=("${t#fuzz_}")
  done
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null

bin=build/fuzz/fuzz
mkdir -p build/fuzz/lang "$bin/funde"
status=0
for t in "${themen[@]}"; do
  mkdir -p "$bin/arbeit/$t"
  woerter=()
  [ -f "fuzz/$t.dict" ] && woerter=(-dict="fuzz/$t.dict")
  log=build/fuzz/lang/$t.log
  ergebnis=ok
  nice -n 19 "$bin/fuzz_$t" "${grenze[@]}" -max_len=4096 -timeout=300 -print_final_stats=1 \
    "${woerter[@]}" -artifact_prefix="$bin/funde/$t-" "$bin/arbeit/$t" "fuzz/corpus/$t" >"$log" 2>&1 ||
    { ergebnis="FINDING (see $log)"; status=1; }
  laeufe=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  echo "fuzz_$t: ${laeufe:-?} inputs, $ergebnis" | tee -a build/fuzz/lang/ergebnis.txt
done
exit $status
