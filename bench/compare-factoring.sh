#!/usr/bin/env bash
# Times Quorvex, PARI/GP's factor() and GNU factor on the numbers of
# factoring-numbers.txt, each tool alone, one number at a time, and prints a
# Markdown table. Quorvex's figure is the median of three runs of
# factor_bench, PARI/GP's the time gp reports for factor() alone, GNU
# factor's the wall time of the command; each is cut off after LIMIT seconds.
# Needs a Release build of factor_bench (see the README) and, for the other
# columns, Debian's pari-gp and coreutils.
set -euo pipefail
cd "$(dirname "$0")/.."
bench=${BENCH:-build/bench/bench/factor_bench}
limit=${LIMIT:-120}

seconds() {  # the wall time of a command in seconds, or "> LIMIT s"
  local start end
  start=$(date +%s.%N)
  if timeout "$limit" "$@" >/dev/null 2>&1; then
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3g s", e - s }'
  else
    echo "> $limit s"
  fi
}

echo "| number | digits | Quorvex | PARI/GP factor() | GNU factor |"
echo "|---|---|---|---|---|"
grep -v '^#' bench/factoring-numbers.txt | while read -r name number; do
  ours=$(timeout $((3 * limit)) "$bench" --benchmark_filter="^$name/" --benchmark_format=csv \
    2>/dev/null | awk -F, '/_median/ { printf "%.3g s", $3 / 1000 }') || true
  [ -n "$ours" ] || ours="> $limit s"
  # gp times factor() itself with gettime(), in milliseconds.
  pari=$(printf 'default(parisizemax, 10^9);\ngettime();\nfactor(%s);\nprint(gettime());\n' "$number" |
    timeout "$limit" gp -q -f 2>/dev/null | tail -n 1 | awk '{ printf "%.3g s", $1 / 1000 }') || true
  [ -n "$pari" ] || pari="> $limit s"
  gnu=$(seconds factor "$number")
  echo "| $name | ${#number} | $ours | $pari | $gnu |"
done
