#!/usr/bin/env bash
# Times Quorvex, PARI/GP's factor() and GNU factor on the numbers of
# factoring-numbers.txt, each tool alone, one number at a time, and prints a
# Markdown table. Quorvex's figure is the median of three runs of
# factor_bench; the others are single runs, cut off after LIMIT seconds.
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
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f s", e - s }'
  else
    echo "> $limit s"
  fi
}

echo "| number | digits | Quorvex | PARI/GP factor() | GNU factor |"
echo "|---|---|---|---|---|"
grep -v '^#' bench/factoring-numbers.txt | while read -r name number; do
  ours=$("$bench" --benchmark_filter="^$name\$" --benchmark_format=csv 2>/dev/null |
    awk -F, '/_median/ { printf "%.3f s", $3 / 1000 }')
  pari=$(seconds bash -c "echo 'default(parisizemax, 10^9); factor($number)' | gp -q -f")
  gnu=$(seconds factor "$number")
  echo "| $name | ${#number} | $ours | $pari | $gnu |"
done
