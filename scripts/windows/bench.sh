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
xvfb-run -a -s "-screen 0 1920x1080x24" bash "$WIN_SCRIPTS/wine_session.sh" \
  wine "$build/bench/bench_startup.exe" "Z:$build/bin/zorvik.exe" "$runs"
