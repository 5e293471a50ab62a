#!/usr/bin/env bash
# Times the whole qvtool process (load, work, output) on generated data, one row per task:
# medians of three runs (RUNS=N for more; two cores sharing fresh memory make single runs
# spread widely) and the peak resident memory. Not part of CI.
#
#   [RUNS=N] bench/whole_process.sh [BUILD_DIR [DATA_DIR]]
#
# BUILD_DIR holds qvtool and qv_bench_data (default: build); DATA_DIR receives the inputs
# (default: a folder under /tmp; about 400 MB, written once). hyperfine is used when it is
# installed (Debian package "hyperfine"), otherwise three timed runs per row.
set -euo pipefail

build=${1:-build}
runs=${RUNS:-3}
if ! [[ "$runs" =~ ^[1-9][0-9]{0,3}$ ]]; then
  echo "whole_process.sh: RUNS must be a whole number from 1 to 9999, not '$runs'" >&2
  exit 2
fi
data=${2:-${TMPDIR:-/tmp}/qv_bench_data}
qvtool="$build/qvtool"
mkdir -p "$data"
[[ -f "$data/tri100k.xyz" ]] || "$build/qv_bench_data" "$data"

fcc_edge=$(awk 'BEGIN { printf "%.3f", 63 * 3.615 }')
fcc_box="BASIC:DefaultBox=$fcc_edge 0 0 0 $fcc_edge 0 0 0 $fcc_edge"
tri_edge=$(awk 'BEGIN { printf "%.4f", 47 * 2.3 }')
tri_box=$(awk -v e="$tri_edge" 'BEGIN { printf "BASIC:DefaultBox=%s 0 0 %.4f %.4f 0 0 0 %s", e, e / 2, e * sqrt(3) / 2, e }')

declare -a names cmds
row() { names+=("$1"); cmds+=("$2"); }
row "xyz, 1,000,000 atoms, one frame" "'$qvtool' info '$data/fcc1m.xyz'"
row "xyz, 100 frames x 100,000 atoms" "'$qvtool' info '$data/traj100x100k.xyz'"
row "bonds, 1,000,000 FCC atoms, cut-off 3.0" "'$qvtool' bonds '$data/fcc1m.xyz' --cutoff 3.0 --set '$fcc_box'"
row "bonds, 1,000,000 FCC atoms, cut-off 2.0" "'$qvtool' bonds '$data/fcc1m.xyz' --cutoff 2.0 --set '$fcc_box'"
row "bonds, 103,823 atoms, 60 degree cell, 3.0" "'$qvtool' bonds '$data/tri100k.xyz' --cutoff 3.0 --set '$tri_box'"

for k in "${!names[@]}"; do
  cmd="${cmds[$k]} > /dev/null 2>&1"
  printf '%-44s' "${names[$k]}"
  peak=$(/usr/bin/time -f %M bash -c "$cmd" 2>&1 | tail -n 1)
  if command -v hyperfine > /dev/null; then
    median=$(hyperfine --runs "$runs" --warmup 1 --export-json /dev/stdout --style none "$cmd" 2>/dev/null |
             awk -F: '/"median"/ { gsub(/[ ,]/, "", $2); print $2; exit }')
  else
    times=()
    for ((run = 0; run < runs; run++)); do
      start=$(date +%s.%N)
      bash -c "$cmd"
      end=$(date +%s.%N)
      times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')")
    done
    median=$(printf '%s\n' "${times[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p")
  fi
  printf '  %7.3f s  %6.0f MiB peak\n' "$median" "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')"
done
