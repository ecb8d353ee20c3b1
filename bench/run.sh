#!/usr/bin/env bash
# Runs Korvan's benchmarks against their peers in one go and prints a table of
# medians and ratios (Markdown), each measure at three sizes.
#
#   bench/run.sh [--smoke] [--reps N] [--no-build] [--bin DIR] [--out FILE] [--dir DIR]
#
# In-process figures come from the Google Benchmark programs in bench/ (CPU
# time, repetitions interleaved at random); whole-process figures (listing,
# deleting, preprocessing) are wall-clock times of one process each, Korvan's
# and its peer's runs alternating, three times as many as --reps (cpp -P's
# as many), their ratio the median of the ratios of paired runs.  --smoke runs everything once at tiny sizes
# and only checks that it works.  Files and trees are made in DIR, by default
# /dev/shm where it is a memory file system (so that the disk traffic of
# other programs on the machine does not swamp the figures), else $TMPDIR or
# /tmp.  Needs the `bench` preset's build (made here unless --no-build), inih
# (libinih-dev), find, rm, cpp and cat.  --bin takes the benchmark programs
# from another build that has them (configured with -DKORVAN_BENCHMARKS=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

smoke=0 reps=5 build=1 out= ort= b=$root/build/bench/bench
while [ $# -gt 0 ]; do
  case "$1" in
    --smoke) smoke=1 ;;
    --reps) reps=$2; shift ;;
    --no-build) build=0 ;;
    --bin) b=$(cd "$2" && pwd); build=0; shift ;;
    --out) out=$2; shift ;;
    --dir) ort=$2; shift ;;
    *) echo "usage: bench/run.sh [--smoke] [--reps N] [--no-build] [--bin DIR] [--out FILE] [--dir DIR]" >&2; exit 2 ;;
  esac
  shift
done
if [ -z "$ort" ]; then
  ort=${TMPDIR:-/tmp}
  if [ -d /dev/shm ] && [ -w /dev/shm ] && [ "$(stat -f -c %T /dev/shm 2>/dev/null)" = tmpfs ]; then
    ort=/dev/shm
  fi
fi

# Sizes: the largest of each measure; the others are a half and a quarter.
if [ "$smoke" = 1 ]; then
  reps=1 mb=0.4 dateien=400 pp_mb=0.4 starts=8 min_time=0.01
else
  mb=40 dateien=100000 pp_mb=50 starts=500 min_time=0.2
fi

if [ "$build" = 1 ]; then
  bash scripts/deps.sh cmake make g++ libbenchmark-dev libinih-dev pkg-config cpp >&2
  cmake --preset bench >/dev/null
  cmake --build --preset bench -j"$(nproc)" >/dev/null
fi
w=$b/bench_werkzeug a=$b/bench_aufrufer
# The programs must load the shared libraries, as a caller's program does.
for prog in bench_konfig bench_aufrufer; do
  bibliotheken=$(ldd "$b/$prog" | awk '/libkorvan/ { print $1 " => " $3 }')
  for l in libkorvan.so libkorvan-quidel32.so libkorvan-tamsel.so; do
    if ! grep -q "^$l" <<<"$bibliotheken"; then
      echo "$b/$prog does not load $l" >&2
      exit 1
    fi
  done
done

arbeit=$(mktemp -d "$ort/korvan-run-XXXXXX")
export TMPDIR=$arbeit   # the benchmark programs make their files there too
trap 'chmod -R u+w "$arbeit" 2>/dev/null; rm -rf "$arbeit"' EXIT
zahlen=$arbeit/zahlen.txt   # "measure size korvan peer" in microseconds
: >"$zahlen"

schritt() { echo "--- $*" >&2; }
last_anfang=$(cut -d' ' -f1-3 /proc/loadavg)

# --- in-process: Google Benchmark, medians of CPU time in microseconds --------
gbench() {
  local prog=$1; shift
  "$b/$prog" "$@" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
    --benchmark_enable_random_interleaving=true --benchmark_min_time="$min_time" \
    --benchmark_format=csv 2>/dev/null >"$arbeit/$prog.csv"
  if grep -q ',true,' "$arbeit/$prog.csv"; then
    echo "$prog reported an error:" >&2
    grep ',true,' "$arbeit/$prog.csv" >&2
    exit 1
  fi
}
# median NAME [real]: the median of one benchmark in microseconds.
median() {
  local spalte=4
  [ "${2:-}" = real ] && spalte=3
  local n="\"$1_median\""
  [ "$reps" = 1 ] && n="\"$1\""
  awk -F, -v n="$n" -v s="$spalte" '
    $1 == n { f = $5; gsub(/"/, "", f)
              m = (f == "ns") ? 0.001 : (f == "ms") ? 1000 : (f == "s") ? 1e6 : 1
              printf "%.3f\n", $s * m; found = 1 }
    END { if (!found) exit 1 }' "$arbeit/$3.csv"
}
groessen_mb() { awk -v m="$1" 'BEGIN { printf "%gMB %gMB %gMB\n", m / 4, m / 2, m }'; }

schritt "configuration walk, Korvan against inih"
gbench bench_konfig --mb="$mb"
schritt "character reading"
gbench bench_zeichen --mb="$mb"
schritt "argument lines"
gbench bench_args
schritt "program starts"
gbench bench_prozess --starts="$starts"

for g in $(groessen_mb "$mb"); do
  echo "zeilen $g $(median konfig/zeilen_objekt/$g '' bench_konfig) $(median konfig/inih_speicher/$g '' bench_konfig)" >>"$zahlen"
  echo "zeilen_datei $g $(median konfig/zeilen_laden/$g '' bench_konfig) $(median konfig/inih_datei/$g '' bench_konfig)" >>"$zahlen"
  echo "zeilen_quelle $g $(median konfig/zeilen_dateiquelle/$g '' bench_konfig) $(median konfig/inih_datei/$g '' bench_konfig)" >>"$zahlen"
  echo "konfig $g $(median konfig/korvan_objekt/$g '' bench_konfig) $(median konfig/inih_speicher/$g '' bench_konfig)" >>"$zahlen"
  echo "konfig_datei $g $(median konfig/korvan_laden/$g '' bench_konfig) $(median konfig/inih_datei/$g '' bench_konfig)" >>"$zahlen"
  echo "konfig_quelle $g $(median konfig/korvan_dateiquelle/$g '' bench_konfig) $(median konfig/inih_datei/$g '' bench_konfig)" >>"$zahlen"
  puffer=$(median zeichen/puffer/$g '' bench_zeichen)
  schleife=$(median zeichen/schleife/$g '' bench_zeichen)
  echo "zeichen_puffer $g $puffer $schleife" >>"$zahlen"
  echo "zeichen_untergrenze $g $(median zeichen/untergrenze/$g '' bench_zeichen) $schleife" >>"$zahlen"
  echo "zeichen_objekt $g $(median zeichen/objekt/$g '' bench_zeichen) $puffer" >>"$zahlen"
  echo "zeichen_datei $g $(median zeichen/dateiquelle/$g '' bench_zeichen) $puffer" >>"$zahlen"
done
for x in x1 x2 x4; do
  echo "args $x $(median args/pool/$x '' bench_args) $(median args/fest/$x '' bench_args)" >>"$zahlen"
done
for n in $((starts / 4)) $((starts / 2)) $starts; do
  # Per start the benchmark gives the time of one; the table shows all n.
  k=$(median start/korvan/$n/iterations:$n real bench_prozess)
  s=$(median start/posix_spawn/$n/iterations:$n real bench_prozess)
  echo "start $n $(awk -v t="$k" -v n="$n" 'BEGIN { print t * n }') $(awk -v t="$s" -v n="$n" 'BEGIN { print t * n }')" >>"$zahlen"
done

# --- whole processes: wall-clock medians in microseconds ---------------------
# zeit FILE CMD...: one timed run, its figures appended to FILE.
zeit() { "$w" zeit "$@"; }
# The medians of a file of runs: wall clock, then CPU (user + system).
wand() {
  sort -n "$1" | awk '{ a[NR] = $1 } END { printf "%s ", a[int((NR + 1) / 2)] }'
  awk '{ print $2 + $3 }' "$1" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'
}
# paare K P: the medians of the ratios of the runs of K to the runs of P
# made right after or before them (the files' lines in pairs), wall clock,
# then CPU: what the machine's drift between runs moves does not reach them.
paare() {
  paste -d' ' "$1" "$2" | awk 'NF >= 8 && $5 > 0 { print $1 / $5, ($6 + $7 > 0 ? ($2 + $3) / ($6 + $7) : 0) }' >"$arbeit/paare"
  echo "$(cut -d' ' -f1 "$arbeit/paare" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')" \
    "$(cut -d' ' -f2 "$arbeit/paare" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')"
}
# zwei K P: "korvan_wall peer_wall korvan_cpu peer_cpu" from two wand results.
zwei() { echo "$1 $3 $2 $4"; }
# Whole processes are short: their Korvan and peer runs are repeated three
# times as often as the in-process figures (cpp -P, which takes seconds, not).
wreps=$((reps * 3))

for n in $((dateien / 4)) $((dateien / 2)) $dateien; do
  schritt "tree of $n files: listing and deleting"
  baum=$arbeit/baum_$n
  "$w" baum "$baum" "$n"
  k=$("$a" liste "$baum" 2>&1 >/dev/null)
  f=$(find "$baum" | wc -l)
  if [ "$k" -ne $((f - 1)) ]; then
    echo "KR_FileTree listed $k entries, find $((f - 1))" >&2
    exit 1
  fi
  "$a" liste "$baum" >/dev/null 2>&1 && find "$baum" >/dev/null  # warm
  for ((i = 0; i < wreps; i++)); do
    zeit "$arbeit/liste_k_$n" "$a" liste "$baum" >/dev/null 2>&1
    zeit "$arbeit/liste_f_$n" find "$baum" >/dev/null
  done
  echo "liste $n $(zwei $(wand "$arbeit/liste_k_$n") $(wand "$arbeit/liste_f_$n")) $(paare "$arbeit/liste_k_$n" "$arbeit/liste_f_$n")" >>"$zahlen"
  rm -rf "$baum"
  for ((i = 0; i < wreps; i++)); do
    # Which tree is made first, and which tool goes first, alternate.
    if ((i % 2)); then
      "$w" baum "$arbeit/del_r" "$n"
      "$w" baum "$arbeit/del_k" "$n"
    else
      "$w" baum "$arbeit/del_k" "$n"
      "$w" baum "$arbeit/del_r" "$n"
    fi
    if ((i % 2)); then
      zeit "$arbeit/del_r_$n" rm -rf "$arbeit/del_r"
      zeit "$arbeit/del_k_$n" "$a" loeschen "$arbeit/del_k"
    else
      zeit "$arbeit/del_k_$n" "$a" loeschen "$arbeit/del_k"
      zeit "$arbeit/del_r_$n" rm -rf "$arbeit/del_r"
    fi
    if [ -e "$arbeit/del_k" ] || [ -e "$arbeit/del_r" ]; then
      echo "a tree was not deleted" >&2
      exit 1
    fi
  done
  echo "loeschen $n $(zwei $(wand "$arbeit/del_k_$n") $(wand "$arbeit/del_r_$n")) $(paare "$arbeit/del_k_$n" "$arbeit/del_r_$n")" >>"$zahlen"
done

for g in $(groessen_mb "$pp_mb"); do
  schritt "include tree of $g: preprocessing"
  ein=$arbeit/pp_$g
  "$w" einbinden "$ein" "${g%MB}"
  mapfile -t blaetter <"$ein/reihenfolge.txt"
  for ((i = 0; i < wreps; i++)); do
    # The shell empties cat's output before cat starts; the outputs of the
    # other two, which empty them themselves, are removed before they start.
    rm -f "$arbeit/aus_k.i" "$arbeit/aus_c.i"
    zeit "$arbeit/pp_k_$g" "$a" preprozess "$ein/haupt.c" "$arbeit/aus_k.i"
    if ((i < reps)); then
      zeit "$arbeit/pp_c_$g" cpp -P "$ein/haupt.c" -o "$arbeit/aus_c.i"
    fi
    zeit "$arbeit/pp_t_$g" cat "${blaetter[@]}" >"$arbeit/aus_t.i"
  done
  # Korvan's output is the leaf files' text between its line markers.
  if ! grep -av '^# [0-9][0-9]* "' "$arbeit/aus_k.i" | cmp -s - "$arbeit/aus_t.i"; then
    echo "KR_Preprozess gave other text than cat" >&2
    exit 1
  fi
  k=$(wand "$arbeit/pp_k_$g")
  echo "pp_cpp $g $(zwei $k $(wand "$arbeit/pp_c_$g")) $(paare "$arbeit/pp_k_$g" "$arbeit/pp_c_$g")" >>"$zahlen"
  echo "pp_cat $g $(zwei $k $(wand "$arbeit/pp_t_$g")) $(paare "$arbeit/pp_k_$g" "$arbeit/pp_t_$g")" >>"$zahlen"
  rm -rf "$ein" "$arbeit"/aus_*.i
done

# --- the table -----------------------------------------------------------------
# One row per measure and size, the measures in a fixed order.
reihenfolge="zeilen zeilen_datei zeilen_quelle konfig konfig_datei konfig_quelle zeichen_puffer zeichen_untergrenze zeichen_objekt zeichen_datei args start liste loeschen pp_cpp pp_cat"
tabelle() {
  for m in $reihenfolge; do awk -v m="$m" '$1 == m' "$zahlen"; done | awk '
  BEGIN {
    # measure: label, Korvan, peer, and the goal as a limit of Korvan / peer
    t["zeilen"] = "configuration walk, values as written, memory object|Korvan|inih (string)"; z["zeilen"] = 0.7
    t["zeilen_datei"] = "configuration walk, values as written, loaded from file|Korvan|inih (file)"; z["zeilen_datei"] = 0.7
    t["zeilen_quelle"] = "configuration walk, values as written, file source|Korvan|inih (file)"; z["zeilen_quelle"] = ""
    t["konfig"] = "configuration walk, first words, memory object|Korvan|inih (string)"; z["konfig"] = ""
    t["konfig_datei"] = "configuration walk, first words, loaded from file|Korvan|inih (file)"; z["konfig_datei"] = ""
    t["konfig_quelle"] = "configuration walk, first words, file source|Korvan|inih (file)"; z["konfig_quelle"] = ""
    t["zeichen_puffer"] = "KR_Zeichen_lesen, memory buffer|Korvan|plain loop"; z["zeichen_puffer"] = 3.0
    t["zeichen_untergrenze"] = "one exported call per byte that only reads it (the floor)|floor|plain loop"; z["zeichen_untergrenze"] = ""
    # Memory object and file source: at least 0.6 of the speed of the buffer.
    t["zeichen_objekt"] = "KR_Zeichen_lesen, memory object|object|buffer"; z["zeichen_objekt"] = 1 / 0.6
    t["zeichen_datei"] = "KR_Zeichen_lesen, file source|file|buffer"; z["zeichen_datei"] = 1 / 0.6
    t["args"] = "KR_Argumente_lesen, one call|pool|fixed block"; z["args"] = ""
    t["start"] = "starting /bin/true and waiting|KR_Ausfuehren|posix_spawn + waitpid"; z["start"] = 1.1
    t["liste"] = "tree listing|KR_FileTree|find"; z["liste"] = 1.0
    t["loeschen"] = "tree deletion|KR_DelTree|rm -rf"; z["loeschen"] = 1.05
    t["pp_cpp"] = "preprocessing|KR_Preprozess|cpp -P"; z["pp_cpp"] = 0.1
    t["pp_cat"] = "preprocessing|KR_Preprozess|cat"; z["pp_cat"] = 1.5
    print "| measure | size | Korvan | peer | Korvan / peer | CPU: Korvan / peer | goal |"
    print "|---|---|---|---|---|---|---|"
  }
  function zeit(us) {
    if (us >= 100000) return sprintf("%.0f ms", us / 1000)
    if (us >= 1000) return sprintf("%.1f ms", us / 1000)
    if (us >= 10) return sprintf("%.1f µs", us)
    return sprintf("%.0f ns", us * 1000)
  }
  {
    split(t[$1], teil, "|")
    # Whole processes: the median of the ratios of paired runs.
    r = NF >= 8 ? $7 : $4 > 0 ? $3 / $4 : 0
    cpu = NF >= 8 ? sprintf("%.2f", $8) : NF >= 6 && $6 > 0 ? sprintf("%.2f", $5 / $6) : "-"
    ziel = z[$1]
    if (ziel == "") urteil = "-"
    else urteil = sprintf("≤ %.2f: %s", ziel, r <= ziel + 1e-9 ? "met" : "missed")
    if ($1 == "args") urteil = $2 == "x1" ? sprintf("< 1 µs: %s", $3 < 1 ? "met" : "missed") : "-"
    if ($1 == "zeichen_objekt" || $1 == "zeichen_datei")
      urteil = sprintf("speed ≥ %.2f: %s (speed %.2f of the buffer)", 1 / ziel,
                       r <= ziel + 1e-9 ? "met" : "missed", r > 0 ? 1 / r : 0)
    printf "| %s | %s | %s: %s | %s: %s | %.2f | %s | %s |\n", teil[1], $2, teil[2], zeit($3), teil[3], zeit($4), r, cpu, urteil
  }'
}

last_ende=$(cut -d' ' -f1-3 /proc/loadavg)
{
  echo "Korvan benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $reps repetitions," \
    "files in $ort ($(stat -f -c %T "$ort"));" \
    "load average at the start $last_anfang, at the end $last_ende"
  echo "Libraries loaded by the benchmark programs: $(echo $bibliotheken | sed 's/ => /=/g')"
  echo
  tabelle
  echo
  echo "Growth: Korvan's time at each size over its time at the smallest (sizes 1 : 2 : 4)"
  for m in $reihenfolge; do
    awk -v m="$m" '$1 == m { if (!n++) erst = $3; zeile = zeile sprintf(" %.2f", $3 / erst) }
                   END { if (n) printf "  %-15s%s\n", m, zeile }' "$zahlen"
  done
} | if [ -n "$out" ]; then tee "$out"; else cat; fi
