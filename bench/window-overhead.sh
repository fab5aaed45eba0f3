#!/usr/bin/env bash
# How much the window's live drawing costs: the same start timed in the
# window (offscreen, from the click on "Start simulation" to the end of the
# start) and in recmod-batch (the whole process), for a few settings with
# many plotted segments. The window runs the runs of a loop one after another
# and draws each, so the batch runs them on one thread too (--threads 1).
# Prints both times and their ratio per setting; the window should stay
# within 1.25 x the batch. Give the machine to it alone: other load on the
# cores skews the ratio.
#   bench/window-overhead.sh [BUILD_DIR]     (default: build, the release preset)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
window=$build/bin/recmod-window-timing
batch=$build/bin/recmod-batch
for program in "$window" "$batch"; do
  [[ -x $program ]] || { echo "window-overhead: $program not built" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=$work/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir "$work/window" "$work/batch"

repeats=${REPEATS:-3}

# best_of COMMAND...: the least wall time of $repeats runs, in seconds.
best_of() {
  local best=""
  for _ in $(seq "$repeats"); do
    local start end t
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [[ -z $best ]] || (($(echo "$t < $best" | bc -l))); then best=$t; fi
  done
  echo "$best"
}

# best_window ARGS...: the least start time the window reports.
best_window() {
  local best=""
  for _ in $(seq "$repeats"); do
    local t
    t=$("$window" "$@" 2>/dev/null | tail -n 1)
    if [[ -z $best ]] || (($(echo "$t < $best" | bc -l))); then best=$t; fi
  done
  echo "$best"
}

# compare NAME "WINDOW ARGS" "BATCH ARGS"
compare() {
  local name=$1 window_args=$2 batch_args=$3
  # shellcheck disable=SC2086
  local w b
  w=$(best_window $window_args "30=$work/window/")
  # shellcheck disable=SC2086
  b=$(best_of "$batch" --quiet --threads 1 $batch_args --dir "$work/batch/")
  printf '%-52s window %8.3f s   batch %8.3f s   ratio %.2f\n' "$name" "$w" "$b" \
    "$(echo "$w / $b" | bc -l)"
}

echo "best of $repeats runs each"
compare "single run, N infinite, MaxGen 10000" "17=10000" "--maxgen 10000"
compare "single run, 3 loci, N=10^6, 10 demes, 10000 gen." "--mode 1 --loci 3 10=10 17=10000" \
  "--mode 1 --loci 3 --demes 10 --maxgen 10000"
compare "loop over S and K, 820 runs of 1000 gen." "--mode 2 17=1000" "--mode 2 --maxgen 1000"
compare "loop over Log10(N) 1..3, 5 x 100 runs of 1000 gen." "--mode 3 8=100 19=3 17=1000" \
  "--mode 3 --iterations 100 --log10n-to 3 --maxgen 1000"
