#!/usr/bin/env bash
# Runs the fuzz targets long, one after another at the lowest priority, and
# reports per target how many inputs ran without a finding.
#   scripts/fuzz-long.sh [-n RUNS | -t SECONDS] [-p INSTANCES] [SUBJECT...]
# Default: 10 million inputs for every fuzz/fuzz_<subject>.cpp.  With -p, that
# many instances share the inputs of a subject (each runs RUNS / INSTANCES,
# all feed one work corpus) and the report adds up their counts.  Logs go to
# build/fuzz/lang/<subject>[.<instance>].log, new inputs to
# build/fuzz/fuzz/arbeit/<subject>, a finding to build/fuzz/fuzz/funde/.  The time limit per input (300 s) is generous:
# at the lowest priority on a busy machine a run can wait long for a core.
set -euo pipefail
cd "$(dirname "$0")/.."

laeufe_gesamt=10000000
zeit=
instanzen=1
while getopts n:t:p: opt; do
  case "$opt" in
    n) laeufe_gesamt=$OPTARG ;;
    t) zeit=$OPTARG ;;
    p) instanzen=$OPTARG ;;
    *) echo "usage: $0 [-n RUNS | -t SECONDS] [-p INSTANCES] [SUBJECT...]" >&2; exit 2 ;;
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
if [ -n "$zeit" ]; then
  grenze=(-max_total_time="$zeit")
else
  grenze=(-runs=$(((laeufe_gesamt + instanzen - 1) / instanzen)))
fi

# One instance of subject $1 with log $2.
laufen() {
  woerter=()
  [ -f "fuzz/$1.dict" ] && woerter=(-dict="fuzz/$1.dict")
  nice -n 19 "$bin/fuzz_$1" "${grenze[@]}" -max_len=4096 -timeout=300 -print_final_stats=1 \
    "${woerter[@]}" -artifact_prefix="$bin/funde/$1-" "$bin/arbeit/$1" "fuzz/corpus/$1" >"$2" 2>&1
}

for t in "${themen[@]}"; do
  mkdir -p "$bin/arbeit/$t"
  logs=()
  pids=()
  for ((i = 1; i <= instanzen; i++)); do
    log=build/fuzz/lang/$t.log
    [ "$instanzen" -gt 1 ] && log=build/fuzz/lang/$t.$i.log
    logs+=("$log")
    laufen "$t" "$log" &
    pids+=($!)
  done
  ergebnis=ok
  for i in "${!pids[@]}"; do
    wait "${pids[$i]}" || { ergebnis="FINDING (see ${logs[$i]})"; status=1; }
  done
  laeufe=0
  for log in "${logs[@]}"; do
    n=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    laeufe=$((laeufe + ${n:-0}))
  done
  echo "fuzz_$t: $laeufe inputs in $instanzen instance(s), $ergebnis" | tee -a build/fuzz/lang/ergebnis.txt
done
exit $status
