#!/usr/bin/env bash
# Changes as administrator under Wine (which runs everything as administrator, so the "runas"
# start asks nothing): tests/scripts/Elevated.js through lvscript, whose own file is started
# elevated with the pages' archive beside it. The prefix's Windows is taken for Windows 10 while
# it runs, as the settings it changes need, and its own build is put back afterwards.
# Usage: elevated-changes.sh lvscript.exe PAGES_FOLDER (RUN_TOOL runs Windows programs)
set -euo pipefail
lvscript=$1 pages=$2
here=$(cd "$(dirname "$0")" && pwd)
version='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
win() { ${RUN_TOOL:-} "$@"; }
build_in() { win reg query "$version" /v CurrentBuildNumber "/reg:$1" | tr -d '\r' | awk '$1 == "CurrentBuildNumber" {print $3}'; }
old32=$(build_in 32) old64=$(build_in 64)
settings='HKCU\Software\Lumivanta Manager'
made_settings=true
win reg query "$settings" >/dev/null 2>&1 && made_settings=false
restore() {
  win reg add "$version" /v CurrentBuildNumber /d "$old32" /f /reg:32 >/dev/null
  win reg add "$version" /v CurrentBuildNumber /d "$old64" /f /reg:64 >/dev/null
  if $made_settings; then win reg delete "$settings" /f >/dev/null 2>&1 || true; fi
}
trap restore EXIT
win reg add "$version" /v CurrentBuildNumber /d 19045 /f /reg:32 >/dev/null
win reg add "$version" /v CurrentBuildNumber /d 19045 /f /reg:64 >/dev/null
includes=(--include "$here/scripts/Checks.js")
while read -r script; do
  includes+=(--include "$pages/tweaks/js/$script")
done < <(grep -v '^\(#\|$\)' "$pages/host-scripts.txt" | grep -E '^engine')
for definitions in "$pages"/tweaks/js/defs/*.js; do
  includes+=(--include "$definitions")
done
win "$lvscript" "${includes[@]}" "$here/scripts/Elevated.js" 2>&1 | tr -d '\r'
