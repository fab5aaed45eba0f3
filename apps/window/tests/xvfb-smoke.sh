#!/usr/bin/env bash
# Opens the real window on a virtual X server, clicks "Start simulation",
# waits for the single run at the start-up values, takes a screenshot of the
# screen (and, if asked, of the window alone) and ends the program with "End".
#   xvfb-smoke.sh RECMOD SCREENSHOT.png [WINDOW.png]
# Exits 77 (skipped) when xvfb-run, xdotool or ImageMagick are missing.
set -euo pipefail

recmod=$(realpath "$1")
screenshot=$(realpath -m "$2")
window_shot=${3:+$(realpath -m "$3")}

for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "xvfb-smoke: $tool not found" >&2; exit 77; }
done

workdir=$(mktemp -d)
trap 'rm -rf "$workdir"' EXIT
export RECMOD_BIN=$recmod SHOT=$screenshot WINDOW_SHOT=$window_shot WORKDIR=$workdir
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$workdir}
unset QT_QPA_PLATFORM

xvfb-run -a -s "-screen 0 1280x1024x24" bash -euo pipefail -c '
  cd "$WORKDIR"
  # "C:" is the current directory: the report lands here.
  "$RECMOD_BIN" >"$WORKDIR/recmod.log" 2>&1 &
  pid=$!
  wid=$(timeout 30 xdotool search --sync --name "^recmod$" | head -n 1)
  sleep 1
  # "Start simulation" at (736, 408), 113 x 33 pixels.
  xdotool mousemove --window "$wid" 792 424 click 1
  for _ in $(seq 1 300); do
    [[ -f ReportFile1.txt && $(wc -l < ReportFile1.txt) -ge 251 ]] && break
    sleep 0.1
  done
  lines=$(wc -l < ReportFile1.txt)
  [[ $lines -eq 251 ]] || { echo "xvfb-smoke: ReportFile1.txt has $lines lines" >&2; exit 1; }
  sleep 1
  import -window root "$SHOT"
  if [[ -n "$WINDOW_SHOT" ]]; then import -window "$wid" "$WINDOW_SHOT"; fi
  # "End" at (856, 408), 65 x 33 pixels.
  xdotool mousemove --window "$wid" 888 424 click 1
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then echo "xvfb-smoke: End did not end the program" >&2; kill "$pid"; exit 1; fi
  wait "$pid"
'

# The run drew its curves: the screenshot holds the red of the R+ curves and
# the blue of the R- curves.
for colour in "rgb(192,0,0)" "rgb(0,0,255)"; do
  share=$(/usr/bin/convert "$screenshot" -alpha off -fill black +opaque "$colour" \
          -fill white -opaque "$colour" -format "%[fx:mean]" info:)
  if ! awk -v s="$share" 'BEGIN { exit !(s > 0) }'; then
    echo "xvfb-smoke: no pixel of $colour in the screenshot" >&2
    exit 1
  fi
done
echo "xvfb-smoke: screenshot in $screenshot"
