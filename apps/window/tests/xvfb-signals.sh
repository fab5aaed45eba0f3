#!/usr/bin/env bash
# The real window, ended by a signal in the middle of a start, on a virtual X
# server: for SIGTERM, SIGHUP, SIGINT and SIGXFSZ the start stops after its
# generation, the program exits with 128 + the signal's number, the record of
# the start says "stopped" and the report file ends with a complete line.
# SIGPIPE is ignored: the window runs on, until a SIGTERM ends it likewise;
# so is the SIGXFSZ of a write past the file-size limit, which is a file error.
#   xvfb-signals.sh RECMOD
# Exits 77 (skipped) when xvfb-run or xdotool are missing.
set -euo pipefail

recmod=$(realpath "$1")
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "xvfb-signals: $tool not found" >&2; exit 77; }
done

workdir=$(mktemp -d)
trap 'rm -rf "$workdir"' EXIT
export RECMOD_BIN=$recmod WORKDIR=$workdir
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$workdir}
unset QT_QPA_PLATFORM

xvfb-run -a -s "-screen 0 1280x1024x24" bash -euo pipefail -c '
  fail() { echo "xvfb-signals: $*" >&2; exit 1; }
  status_of() { sed -n "s/^  \"status\": \"\(.*\)\",$/\1/p" recmod-run.json 2>/dev/null; }

  # Opens the window in a directory of its own ("C:" is the current
  # directory), selects the loop over S and K with 100 demes and 10000
  # generations (minutes of work), starts it and waits until its record says
  # "running". Leaves the process id in $pid.
  begin_long_start() {
    mkdir "$WORKDIR/$1"
    cd "$WORKDIR/$1"
    "$RECMOD_BIN" >recmod.log 2>&1 &
    pid=$!
    wid=$(timeout 30 xdotool search --sync --name "^recmod$" | head -n 1)
    sleep 1
    # txt 10 (demes) at (232, 224) and txt 17 (generations) at (232, 248),
    # 53 x 19 pixels each; Tab leaves a field as a user does.
    for field in "258 233 100" "258 257 10000"; do
      read -r x y value <<<"$field"
      xdotool mousemove --window "$wid" "$x" "$y" click 1 key ctrl+a type "$value"
      xdotool key Tab
    done
    # Option1 2, the loop over S and K, at (8, 478).
    xdotool mousemove --window "$wid" 20 490 click 1
    # "Start simulation" at (736, 408), 113 x 33 pixels.
    xdotool mousemove --window "$wid" 792 424 click 1
    for _ in $(seq 1 100); do
      [[ $(status_of) == running ]] && return 0
      sleep 0.1
    done
    fail "$1: the start did not begin (record: $(status_of))"
  }

  # Waits up to 30 s for the program to end; sets $exit_status.
  wait_for_end() {
    for _ in $(seq 1 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid"; fail "$1 did not end the window"; fi
    exit_status=0
    wait "$pid" || exit_status=$?
  }

  check_stopped() {
    local signal=$1 expected=$2
    [[ $exit_status -eq $expected ]] || fail "$signal: exit status $exit_status, not $expected"
    [[ $(status_of) == stopped ]] || fail "$signal: the record says \"$(status_of)\", not stopped"
    [[ -s ReportFile2.txt ]] || fail "$signal: no ReportFile2.txt"
    [[ $(tail -c 1 ReportFile2.txt | od -An -tx1 | tr -d " ") == 0a ]] ||
      fail "$signal: ReportFile2.txt ends inside a line"
    grep -q "$signal" recmod.log || fail "$signal: not named on standard error: $(cat recmod.log)"
  }

  for signal in TERM HUP INT XFSZ; do
    begin_long_start "$signal"
    kill -s "$signal" "$pid"
    wait_for_end "SIG$signal"
    check_stopped "SIG$signal" $((128 + $(kill -l "$signal")))
  done

  # A write past the file-size limit (16 KiB here; the report file of the
  # start-up run has 33 KiB): the system sends SIGXFSZ, which is no request to
  # end. The write fails, the start ends with a file error, the window stays.
  mkdir "$WORKDIR/limit"
  cd "$WORKDIR/limit"
  (ulimit -f 16; exec "$RECMOD_BIN" >recmod.log 2>&1) &
  pid=$!
  wid=$(timeout 30 xdotool search --sync --name "^recmod$" | head -n 1)
  sleep 1
  xdotool mousemove --window "$wid" 792 424 click 1
  for _ in $(seq 1 100); do [[ $(status_of) == error ]] && break; sleep 0.1; done
  [[ $(status_of) == error ]] || fail "file-size limit: the record says \"$(status_of)\", not error"
  sleep 0.5
  kill -0 "$pid" 2>/dev/null || fail "the file-size limit ended the window"
  kill -s TERM "$pid"
  wait_for_end "SIGTERM after the file-size limit"
  [[ $exit_status -eq 143 ]] || fail "SIGTERM after the file-size limit: exit status $exit_status"

  begin_long_start PIPE
  kill -s PIPE "$pid"
  sleep 1
  kill -0 "$pid" 2>/dev/null || fail "SIGPIPE ended the window"
  [[ $(status_of) == running ]] || fail "after SIGPIPE the record says \"$(status_of)\""
  kill -s TERM "$pid"
  wait_for_end "SIGTERM after SIGPIPE"
  check_stopped SIGTERM 143
'
echo "xvfb-signals: every signal stopped the start and left its record at \"stopped\""
