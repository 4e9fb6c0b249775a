#!/usr/bin/env bash
# Runs a Windows program with the display at another scale. Wine reads the user's LogPixels
# (HKCU\Control Panel\Desktop) when a process starts, so it is set for this run and put back
# afterwards; a test run this way runs alone, since every program started meanwhile would see
# the scale too. Usage: at-dpi.sh DPI PROGRAM [ARG...] (RUN_TOOL runs Windows programs)
set -euo pipefail
dpi=$1
shift
win() { ${RUN_TOOL:-} "$@"; }
key='HKCU\Control Panel\Desktop'
previous=$(win reg query "$key" /v LogPixels 2>/dev/null | tr -d '\r' | awk '$1 == "LogPixels" {print $3}' || true)
if [ -n "$previous" ]; then
  trap 'win reg add "$key" /v LogPixels /t REG_DWORD /d "$((previous))" /f >/dev/null' EXIT
else
  trap 'win reg delete "$key" /v LogPixels /f >/dev/null 2>&1 || true' EXIT
fi
win reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
win "$@"
