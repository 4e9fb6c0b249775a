#!/usr/bin/env bash
# The start-up programs page's engine over the real Run key: two entries added with "reg add"
# are listed with their commands, one is removed through the engine, and "reg query" agrees.
# Usage: startup.sh lvscript.exe PAGES_FOLDER (RUN_TOOL runs Windows programs)
set -uo pipefail
lvscript=$1 pages=$2
win() { ${RUN_TOOL:-} "$@" </dev/null 2>&1 | tr -d '\r'; }
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
first="LvPageTest$$ first" second="LvPageTest$$ second"
first_command='"C:\Program Files\Lv Test\first.exe" -quiet'
second_command='%ProgramFiles%\Lv Test\second.exe'
cleanup() {
  win reg delete "$run" /v "$first" /f >/dev/null
  win reg delete "$run" /v "$second" /f >/dev/null
}
trap cleanup EXIT

win reg add "$run" /v "$first" /t REG_SZ /d "$first_command" /f >/dev/null
win reg add "$run" /v "$second" /t REG_EXPAND_SZ /d "$second_command" /f >/dev/null
output=$(win "$lvscript" --include "$(dirname "$0")/../scripts/Checks.js" --include "$pages/tweaks/js/engine.js" \
  --include "$pages/tweaks/js/defs/startup.js" \
  "$(dirname "$0")/StartupTests.js" "$first" "$first_command" "$second" "$second_command")
echo "$output"
status=0
grep -q '^7 passed, 0 failed$' <<<"$output" || status=1
if win reg query "$run" /v "$first" | grep -q "$first"; then
  echo "FAIL reg query still finds the removed entry"
  status=1
fi
if ! win reg query "$run" /v "$second" | grep -q "$second"; then
  echo "FAIL reg query no longer finds the entry that stays"
  status=1
fi
exit $status
