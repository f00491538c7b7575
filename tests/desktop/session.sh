#!/usr/bin/env bash
# A desktop session of the test's own: a private X server and session bus
# with a window manager (openbox), a tray host (trayer) and a notification
# daemon (dunst). In it: the tray tests (argument 1), then the built
# program (argument 2) started twice on the same settings, and once more
# after the first copy was killed.
set -euo pipefail
if [ -z "${ZORVIK_IN_SESSION:-}" ]; then
  export ZORVIK_IN_SESSION=1
  # A display number of its own, away from the ones other tests take first.
  exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x800x24" \
    dbus-run-session -- bash "$0" "$@"
fi
TESTS="$1"
PROGRAM="$2"
work="$(mktemp -d)"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  # What was started writes its logs into the folder until it has ended.
  wait "${pids[@]}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
openbox >/dev/null 2>&1 & pids+=($!)
start_tray() {
  trayer --edge top --align right --widthtype request --height 24 >"$work/trayer.log" 2>&1 &
  tray=$!; pids+=($tray)
}
start_tray
dunst >/dev/null 2>&1 & pids+=($!)
# The tray host owns its selection once its panel is up. One that died on
# the way (a loaded machine, a window manager not yet there) is started
# once more, and what it said is shown.
tray_up() {
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1 && xwininfo -root -tree | grep -q panel &&
      return 0
    sleep 0.1
  done
  return 1
}
if ! tray_up || ! kill -0 "$tray" 2>/dev/null; then
  echo "tray host not up; it said:"; cat "$work/trayer.log"
  kill "$tray" 2>/dev/null || true
  start_tray
  tray_up || echo "tray host still not up"
fi

QT_QPA_PLATFORM=xcb "$TESTS"

fail() { echo "FAIL: $*"; exit 1; }
mkdir "$work/prog"
cp "$PROGRAM" "$work/prog/zorvik"
exe="$work/prog/zorvik"
windows() { xdotool search --onlyvisible --name '^ZorvikV1\.0$' 2>/dev/null | wc -l; }
copies() { pgrep -f -x "$exe" | wc -l; }
wait_window() {
  for _ in $(seq 100); do [ "$(windows)" -ge 1 ] && return 0; sleep 0.1; done
  fail "no main window"
}

"$exe" >/dev/null 2>&1 & first=$!; pids+=($first)
wait_window
timeout 10 "$exe" >/dev/null 2>&1 || fail "the second copy did not end by itself"
[ "$(copies)" = 1 ] || fail "$(copies) copies run"
[ "$(windows)" = 1 ] || fail "$(windows) main windows"
echo "second start: one window, one process"

kill -9 "$first"; wait "$first" 2>/dev/null || true
"$exe" >/dev/null 2>&1 & again=$!; pids+=($again)
wait_window
[ "$(copies)" = 1 ] || fail "$(copies) copies after a crash"
echo "after a crash the next start runs"
