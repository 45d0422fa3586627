#!/usr/bin/env bash
# Builds the native configuration and prints the benchmark table: each case with korvi's time,
# the peer's time in the same run and the ratio korvi / peer (below 1 means korvi is faster),
# and the peak memory over the picture where a case measures it. Times are in milliseconds,
# processor time, or wall-clock time for the cases timed by the wall clock (threads, child
# processes); the cases that write a file (PNG, WebP) show its bytes beside each time.
# Arguments pass to the benchmark program, e.g. --benchmark_filter=jpeg
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" native
"$here/scripts/build.sh" native >/dev/null
# JSON, one field a line, takes whatever counters each case reports (CSV wants the same in all).
"$here/build/native/bench/korvi_bench" --benchmark_format=json "$@" 2>/dev/null | awk '
  function value(line) {
    sub(/^[^:]*: */, "", line); sub(/,$/, "", line); gsub(/"/, "", line)
    return line
  }
  /"benchmarks": \[/ { inside = 1; next }
  !inside { next }
  /^    {/ { name = ""; real = ""; cpu = ""; u = ""; r = ""; peak = ""; size = ""; failure = ""; next }
  /"name":/ { name = value($0); next }
  /"real_time":/ { real = value($0); next }
  /"cpu_time":/ { cpu = value($0); next }
  /"time_unit":/ { u = value($0); next }
  /"bytes_per_second":/ { r = sprintf(" (%.0f MB/s)", value($0) / 1e6); next }
  /"peak\/picture":/ { peak = value($0); next }
  /"(file|bytes)":/ { size = sprintf(" %d B", value($0)); next }
  /"error_message":/ { failure = value($0); next }
  /^    }/ {
    t = (name ~ /\/real_time$/ ? real : cpu) * (u == "ns" ? 1e-6 : u == "us" ? 1e-3 : u == "s" ? 1e3 : 1)
    while (match(name, /\/[a-z_]+(:[0-9.]+)?$/)) name = substr(name, 1, RSTART - 1)  # /real_time, /min_time:...
    split(name, parts, / \| /)
    key = parts[1]; who = 2 in parts ? parts[2] : "korvi"
    if (!(key in seen)) { seen[key] = 1; order[++n] = key }
    shown[key, who] = failure != "" ? "failed: " failure : sprintf("%.2f ms%s%s", t, r, size)
    time[key, who] = failure != "" ? "" : t
    if (peak != "") memory[key, who] = sprintf("%.2f", peak)
    if (who != "korvi") peer[key] = who
  }
  END {
    printf "%-52s %22s %36s %8s %s\n", "case", "korvi", "peer", "ratio", "peak memory / picture (korvi, peer)"
    for (i = 1; i <= n; i++) {
      k = order[i]; p = peer[k]
      theirs = k in peer ? p " " shown[k, p] : "-"
      ratio = k in peer && time[k, "korvi"] != "" && time[k, p] > 0 ? sprintf("%.2f", time[k, "korvi"] / time[k, p]) : "-"
      mem = (k, "korvi") in memory ? memory[k, "korvi"] : ""
      if ((k, p) in memory) mem = mem ", " memory[k, p]
      printf "%-52s %22s %36s %8s %s\n", k, shown[k, "korvi"], theirs, ratio, mem
    }
  }'
