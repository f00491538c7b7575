#!/usr/bin/env bash
# Runs the Windows test suite under Wine: every test program through ctest,
# on an X display of its own (Qt's offscreen platform does not run under
# Wine), in a Wine prefix kept beside the build and made with the Chinese
# fonts and code page 936 the program's users have, with a sound server of
# its own (Wine's media players render to a sound device or open nothing).
# Usage: test.sh BUILD_DIR QT_PREFIX SPEECH_PREFIX
set -euo pipefail
source "$(dirname "$0")/common.sh"
build=$(cd "$1" && pwd) qt=$2 speech=$3

source "$WIN_SCRIPTS/wine_env.sh"
mapfile -t runtime < <(win_runtime_dirs)
wine_env "$build/wine" "$qt/bin" "${runtime[@]}"

# The speech service finds its voices beside itself, and the programs Qt's
# Chinese texts, as in the ZIP.
rm -rf "$build/bin/espeak-ng-data"
cp -r "$speech/share/espeak-ng-data" "$build/bin/"
for dir in "$build/bin" "$build/tests"; do
  mkdir -p "$dir/translations"
  cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$dir/translations/"
done

# A PulseAudio server with a null sink, for this run alone.
sound=$(mktemp -d)
chmod 700 "$sound"
XDG_RUNTIME_DIR=$sound pulseaudio -n --daemonize=no --exit-idle-time=-1 \
  -L "module-native-protocol-unix socket=$sound/native auth-anonymous=1" \
  -L "module-null-sink sink_name=zorvik" >"$sound/log" 2>&1 &
server=$!
# The server writes into its folder as it ends: the folder goes after it.
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$sound"' EXIT
export PULSE_SERVER="unix:$sound/native"

xvfb-run -a -s "-screen 0 1920x1080x24" bash "$WIN_SCRIPTS/wine_session.sh" \
  ctest --test-dir "$build" --output-on-failure -j 2 --timeout 600
