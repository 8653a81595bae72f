#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times Quorvex, PARI/GP's factor() and GMP-ECM on the numbers of
# factoring-numbers.txt (or on those whose name matches the first argument),
# each tool alone, one number at a time, and prints a Markdown table.
# Quorvex's figures are the medians of three runs of factor_bench on one
# thread and on all hardware threads, with the peak resident memory of the
# process; PARI/GP's is the time gp reports for factor() alone; GMP-ECM's the
# wall time of `ecm -one` at the B1 that its documentation gives for the
# smallest factor's size (read from the number's name). Each is cut off
# after LIMIT seconds. Needs a Release build of factor_bench (see the README)
# and, for the other columns, Debian's pari-gp and gmp-ecm.
set -euo pipefail
cd "$(dirname "$0")/.."
bench=${BENCH:-build/bench/bench/factor_bench}
limit=${LIMIT:-120}
only=${1:-.}

# GMP-ECM's B1 for factors of about `digits` digits.
b1_for() {
  local digits=$1
  if ((digits <= 15)); then echo 2000
  elif ((digits <= 20)); then echo 11000
  elif ((digits <= 25)); then echo 50000
  elif ((digits <= 30)); then echo 250000
  elif ((digits <= 35)); then echo 1000000
  elif ((digits <= 40)); then echo 3000000
  elif ((digits <= 45)); then echo 11000000
  else echo 43000000
  fi
}

# The size of the smallest factor, from names like semiprime-31x31 and
# 100-digits-25-and-75.
factor_digits() {
  local name=$1
  if [[ $name =~ ^semiprime-([0-9]+)x ]]; then echo "${BASH_REMATCH[1]}"
  elif [[ $name =~ -digits-([0-9]+)-and- ]]; then echo "${BASH_REMATCH[1]}"
  fi
}

quorvex() {  # threads (1, or 0 for all): "median s|peak MiB"
  timeout $((3 * limit)) "$bench" --benchmark_filter="^$1/threads:$2/" --benchmark_format=csv \
    2>/dev/null | awk -F, '/_median/ { for (i = 1; i <= NF; ++i) if ($i ~ /^[0-9.]+$/) last = $i;
      printf "%.3g s|%.0f", $3 / 1000, last }' || true
}

echo "| number | digits | Quorvex, 1 thread | Quorvex, all threads | peak MiB | PARI/GP factor() | GMP-ECM -one |"
echo "|---|---|---|---|---|---|---|"
grep -v '^#' bench/factoring-numbers.txt | grep -E "^[^ ]*($only)" | while read -r name number; do
  one=$(quorvex "$name" 1)
  all=$(quorvex "$name" 0)
  peak=${all#*|}
  one=${one%|*}
  all=${all%|*}
  [ -n "$one" ] || one="> $limit s"
  [ -n "$all" ] || { all="> $limit s"; peak="—"; }
  pari=$(printf 'default(parisizemax, 10^9);\ngettime();\nfactor(%s);\nprint(gettime());\n' "$number" |
    timeout "$limit" gp -q -f 2>/dev/null | tail -n 1 | awk '{ printf "%.3g s", $1 / 1000 }') || true
  [ -n "$pari" ] || pari="> $limit s"
  ecm="—"
  if digits=$(factor_digits "$name") && [ -n "$digits" ]; then
    start=$(date +%s.%N)
    # ecm's exit status tells what it found; only timeout's 124 is a failure.
    status=0
    echo "$number" | timeout "$limit" ecm -q -one -c 1000000 "$(b1_for "$digits")" >/dev/null 2>&1 ||
      status=$?
    if [ "$status" -eq 124 ]; then
      ecm="> $limit s"
    else
      ecm=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.3g s", e - s }')
    fi
  fi
  echo "| $name | ${#number} | $one | $all | $peak | $pari | $ecm |"
done
