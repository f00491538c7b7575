#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest and test discovery. Its output
# goes through a file: the Wine processes the first program of a session
# starts (services, the desktop) inherit its output and outlive it, and a
# pipe they hold open would keep the caller waiting for an end of output.
out=$(mktemp)
status=0
wine "$@" >"$out" 2>&1 || status=$?
cat "$out"
rm -f "$out"
exit $status
