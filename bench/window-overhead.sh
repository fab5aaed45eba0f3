#!/usr/bin/env bash
# How much the window's live drawing costs: the same start timed in the
# window (offscreen, from the click on "Start simulation" to the end of the
# start) and in recmod-batch (the whole process), for a few settings with
# many plotted segments. The window runs the runs of a loop one after another
# and draws each, so the batch runs them on one thread too (--threads 1).
#
# Two figures per setting, each the least of REPEATS runs (default 3):
#   wall  elapsed seconds; the target is a window within 1.25 x the batch.
#         Needs a machine without other load: the window draws on a second
#         thread, and competing processes on the cores skew it.
#   cpu   processor seconds of every thread of the program (for the window:
#         the start's worker plus the drawing of the window's thread). It
#         bounds what the drawing can cost on an idle machine and changes
#         little with other load.
#
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

# least A B: the smaller number.
least() { if [[ -z $1 ]] || (($(echo "$2 < $1" | bc -l))); then echo "$2"; else echo "$1"; fi; }

# time_batch ARGS...: "WALL CPU" of the batch, each the least of $repeats.
time_batch() {
  local best_wall="" best_cpu="" wall cpu start end
  for _ in $(seq "$repeats"); do
    start=$(date +%s.%N)
    cpu=$( { TIMEFORMAT='%U+%S'; time "$batch" "$@" >/dev/null 2>&1; } 2>&1 | bc -l)
    end=$(date +%s.%N)
    wall=$(echo "$end - $start" | bc -l)
    best_wall=$(least "$best_wall" "$wall")
    best_cpu=$(least "$best_cpu" "$cpu")
  done
  echo "$best_wall $best_cpu"
}

# time_window ARGS...: "WALL CPU" of the start in the window, each the least.
time_window() {
  local best_wall="" best_cpu="" wall cpu
  for _ in $(seq "$repeats"); do
    read -r wall cpu < <("$window" "$@" 2>/dev/null | tail -n 1)
    best_wall=$(least "$best_wall" "$wall")
    best_cpu=$(least "$best_cpu" "$cpu")
  done
  echo "$best_wall $best_cpu"
}

# compare NAME "WINDOW ARGS" "BATCH ARGS"
compare() {
  local name=$1 window_args=$2 batch_args=$3 ww wc bw bc_
  # shellcheck disable=SC2086
  read -r ww wc < <(time_window $window_args "30=$work/window/")
  # shellcheck disable=SC2086
  read -r bw bc_ < <(time_batch --quiet --threads 1 $batch_args --dir "$work/batch/")
  printf '%-50s wall %7.3f / %7.3f s = %.2f   cpu %7.3f / %7.3f s = %.2f\n' "$name" \
    "$ww" "$bw" "$(echo "$ww / $bw" | bc -l)" "$wc" "$bc_" "$(echo "$wc / $bc_" | bc -l)"
}

echo "window / batch, least of $repeats runs each; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
compare "single run, N infinite, MaxGen 10000" "17=10000" "--maxgen 10000"
compare "single run, 3 loci, N=10^6, 10 demes, 10000 gen." "--mode 1 --loci 3 10=10 17=10000" \
  "--mode 1 --loci 3 --demes 10 --maxgen 10000"
compare "loop over S and K, 820 runs of 1000 gen." "--mode 2 17=1000" "--mode 2 --maxgen 1000"
compare "loop over Log10(N) 1..3, 5 x 100 runs of 1000 gen." "--mode 3 8=100 19=3 17=1000" \
  "--mode 3 --iterations 100 --log10n-to 3 --maxgen 1000"
