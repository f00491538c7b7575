#!/usr/bin/env bash
# Runs the Windows test suite under Wine: every test program through ctest,
# on an X display of its own (Qt's offscreen platform does not run under
# Wine), in a Wine prefix kept beside the build and made with the Chinese
# fonts and code page 936 the program's users have.
# Usage: test.sh BUILD_DIR QT_PREFIX SPEECH_PREFIX
set -euo pipefail
source "$(dirname "$0")/common.sh"
build=$1 qt=$2 speech=$3

source "$WIN_SCRIPTS/wine_env.sh"
mapfile -t runtime < <(win_runtime_dirs)
wine_env "$build/wine" "$qt/bin" "${runtime[@]}"

# The speech service finds its voices beside itself, as in the ZIP.
rm -rf "$build/bin/espeak-ng-data"
cp -r "$speech/share/espeak-ng-data" "$build/bin/"

xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  set -e
  wine_boot() { [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1; }
  wine_boot
  # One Wine server for the whole run, not one per test program.
  wineserver -p
  status=0
  ctest --test-dir "$1" --output-on-failure -j 2 --timeout 600 || status=$?
  wineserver -k || true
  exit $status
' _ "$build"
