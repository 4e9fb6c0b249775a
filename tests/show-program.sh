#!/usr/bin/env bash
# What ./run starts, driven without a display in a prefix of the test's own (the script ends every
# Wine process of its prefix): the address it prints serves the start page with its token, and
# Ctrl+C leaves no process of that prefix behind, Xvfb included.
# Usage: show-program.sh BIN_FOLDER (with LumivantaManager.exe, lvscript.exe and Ruroda.db)
set -uo pipefail
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
# Only the commands of the prefix get it, so that no process of the test's own counts as the prefix's.
prefix=$work/prefix
wine_env=(env -u DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all)
failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
ours() { grep -lsz "^WINEPREFIX=$prefix\$" /proc/[0-9]*/environ | cut -d/ -f3; }
running() {
  local pid
  for pid in $(ours); do tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q "$1" && return 0; done
  return 1
}
trap 'kill $(ours) 2>/dev/null; rm -rf "$work"' EXIT
"${wine_env[@]}" WINEDLLOVERRIDES="mscoree,mshtml=" wineboot </dev/null >/dev/null 2>&1
"${wine_env[@]}" wineserver -w

# A job of its own, as in a terminal (without job control a background job would ignore SIGINT).
set -m
"${wine_env[@]}" bash "$here/../scripts/show-program.sh" "$bin" -hidden >"$work/out" 2>&1 & shown=$!
set +m
for _ in $(seq 300); do grep -q '^The pages' "$work/out" && break; sleep 0.1; done
url=$(grep -o 'http://127\.0\.0\.1:[0-9]*/[0-9a-f]*/tweaks/start\.html' "$work/out" | head -1)
check "the address of the start page with its token is printed" test -n "$url"
check "the command to open it is printed" grep -q "chromium --app='$url'" "$work/out"
check "the address serves the start page" bash -c "curl -sf '$url' | grep -q '<html'"
check "the program runs beside the preview, with its argument" running 'LumivantaManager.exe -hidden'
check "no browser is started without a display" test -z "$(running chromium && echo yes)"

# SIGINT to the script alone: a terminal's Ctrl+C reaches the whole job, which ends Wine's processes
# by itself, but the script must also end them when it is the only one told.
kill -INT "$shown"
for _ in $(seq 300); do kill -0 "$shown" 2>/dev/null || break; sleep 0.1; done
check "Ctrl+C ends it" test -z "$(kill -0 "$shown" 2>/dev/null && echo running)"
check "Ctrl+C leaves no process of the prefix" test -z "$(ours)"
exit $((failures > 0))
