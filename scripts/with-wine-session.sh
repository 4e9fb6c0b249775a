#!/usr/bin/env bash
# Runs a command inside a throw-away Wine prefix made for this run alone, and removes the
# prefix afterwards. Usage: with-wine-session.sh KEEPER_EXE COMMAND [ARG...]
set -euo pipefail
keeper=$1
shift

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/lv-wine.XXXXXX")
export WINEPREFIX
export WINEDEBUG=-all
end_session() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap end_session EXIT

# A persistent server and one process of ours kept alive: otherwise ctest waits for Wine's
# background processes, which inherit each test's output pipe (see the README).
wineserver -p
# Without the .NET and HTML engine installers, which would wait for a click. Plain wineboot, not
# "wineboot -i": on an empty prefix that booted it twice, leaving two service managers that kept
# the RPC service from starting, so every COM call of a test waited 10 s for it in vain.
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
wine "$keeper" </dev/null >/dev/null 2>&1 &

"$@"
