#!/usr/bin/env bash
# Runs one command in the Wine prefix of the environment (wine_env.sh), on
# the X display given, with one Wine server for all of it rather than one
# per Windows program; ends that server after. Exits with the command's status.
# Usage: DISPLAY=... wine_session.sh COMMAND [ARG...]
set -uo pipefail
# A new prefix: the server that made it ends first, or the one below
# would not start.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# One left running by a run cut short serves as well.
wineserver -p 2>/dev/null || true
status=0
"$@" || status=$?
wineserver -k 2>/dev/null || true
exit $status
