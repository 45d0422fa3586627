#!/usr/bin/env bash
# Builds the native configuration and prints the benchmark table: each case with korvi's time,
# the peer's time in the same run and the ratio korvi / peer (below 1 means korvi is faster).
# Arguments pass to the benchmark program, e.g. --benchmark_filter=jpeg
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" native
"$here/scripts/build.sh" native >/dev/null
"$here/build/native/bench/korvi_bench" --benchmark_format=csv "$@" 2>/dev/null | awk -F, '
  NR == 1 { next }
  {
    name = $1; gsub(/"/, "", name)
    split(name, parts, / \| /)
    key = parts[1]; who = parts[2]
    sub(/\/(process_time|real_time)(\/real_time)?$/, "", who)  # timed by the wall clock
    if (!(key in seen)) { seen[key] = 1; order[++n] = key }
    time[key, who] = $3; unit[key] = $5
    if ($6 != "") rate[key, who] = sprintf(" (%.0f MB/s)", $6 / 1e6)
    if (who != "korvi") peer[key] = who
  }
  END {
    printf "%-40s %22s %34s %8s\n", "case", "korvi", "peer", "ratio"
    for (i = 1; i <= n; i++) {
      k = order[i]
      ours = sprintf("%.2f %s%s", time[k, "korvi"], unit[k], rate[k, "korvi"])
      if (k in peer) {
        p = peer[k]
        theirs = sprintf("%s %.2f %s%s", p, time[k, p], unit[k], rate[k, p])
        printf "%-40s %22s %34s %8.2f\n", k, ours, theirs, time[k, "korvi"] / time[k, p]
      } else {
        printf "%-40s %22s %34s %8s\n", k, ours, "-", "-"
      }
    }
  }'
