#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the proof of the numbers of proof-numbers.txt (or of those whose
# name matches the first argument) by Quorvex and by PARI/GP, number by
# number in one run, and prints a Markdown table. Quorvex's figures are the
# medians of three runs of proof_bench (prove, check, both) on one and two
# threads; PARI/GP's the wall time gp reports for primecert() and isprime()
# with default(nbthreads) 1 and 2, on the number's largest prime factor.
# Needs a Release build of proof_bench (see the README) and Debian's pari-gp.
set -euo pipefail
cd "$(dirname "$0")/.."
bench=${BENCH:-build/bench/bench/proof_bench}
only=${1:-.}

median() { sort -n | sed -n 2p; }

gp_time() {  # gp_time NUMBER THREADS CALL: median of three wall times in ms
  for _ in 1 2 3; do
    echo "default(nbthreads,$2); n=$1; f=factor(n)[,1]; p=f[#f]; t=getwalltime(); $3(p); print(getwalltime()-t)" |
      gp -q -s 512M 2>/dev/null | tail -1
  done | median
}

ours() {  # ours NAME WHAT THREADS: median in ms
  "$bench" --benchmark_filter="^$1/$2/what:[0-9]/threads:$3/" --benchmark_format=csv 2>/dev/null |
    grep _median | cut -d, -f3 | cut -d. -f1
}

echo "| number | Quorvex prove, 1 / 2 threads (ms) | check, 1 / 2 | both, 1 / 2 | PARI/GP primecert, 1 / 2 | isprime, 1 / 2 |"
echo "|---|---|---|---|---|---|"
grep -v '^#' bench/proof-numbers.txt | grep -E -- "$only" | while read -r name number; do
  row="| $name"
  for what in prove check 'prove\+check'; do
    row+=" | $(ours "$name" "$what" 1) / $(ours "$name" "$what" 2)"
  done
  for call in primecert isprime; do
    row+=" | $(gp_time "$number" 1 $call) / $(gp_time "$number" 2 $call)"
  done
  echo "$row |"
done
