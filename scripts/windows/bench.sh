#!/usr/bin/env bash
# Prints the start-up figures of the Windows build under Wine: zorvik.exe
# beside a bare Qt window built the same way (bench/startup.cpp).
# Usage: bench.sh BUILD_DIR QT_PREFIX [RUNS]
set -euo pipefail
source "$(dirname "$0")/common.sh"
source "$WIN_SCRIPTS/wine_env.sh"
build=$(cd "$1" && pwd) qt=$2 runs=${3:-7}
mapfile -t runtime < <(win_runtime_dirs)
wine_env "$build/wine" "$qt/bin" "${runtime[@]}"
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w  # the server that made the prefix ends first
  fi
  wineserver -p 2>/dev/null || true
  status=0
  wine "$1/bench/bench_startup.exe" "Z:$1/bin/zorvik.exe" "$2" || status=$?
  wineserver -k || true
  exit $status
' _ "$build" "$runs"
