#!/usr/bin/env bash
# Installs what is missing, builds Zorvik and starts it. Without a display
# it starts under Xvfb, saves a screenshot and says where.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
bash "$ROOT/scripts/build.sh"
APP="${BUILD_DIR:-$ROOT/build}/bin/zorvik"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$APP"
fi

SHOT="$ROOT/screenshots/zorvik.png"
mkdir -p "$(dirname "$SHOT")"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
echo "No display: starting Zorvik under Xvfb (1920x1080)."
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  "$1" &
  pid=$!
  sleep 4
  import -window root "$2"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null || true
' _ "$APP" "$SHOT"
echo "Screenshot saved to $SHOT"
