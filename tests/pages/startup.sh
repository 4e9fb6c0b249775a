#!/usr/bin/env bash
# The start-up programs page's engine over the real Run key: two entries added with "reg add"
# are listed with their commands, one is removed through the engine, and "reg query" agrees. Two
# more, whose names hold Cyrillic, CJK and an emoji and differ only in the emoji, come from a
# UTF-16 file through "reg import": the right one is removed, and after undo "reg export" gives
# both back as they were.
# Usage: startup.sh lvscript.exe PAGES_FOLDER (RUN_TOOL runs Windows programs)
set -uo pipefail
lvscript=$1 pages=$2
win() { ${RUN_TOOL:-} "$@" </dev/null 2>&1 | tr -d '\r'; }
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
first="LvPageTest$$ first" second="LvPageTest$$ second"
first_command='"C:\Program Files\Lv Test\first.exe" -quiet'
second_command='%ProgramFiles%\Lv Test\second.exe'
folder=$(mktemp -d)
# Lines of a .reg file as "reg export" writes them; StartupTests.js spells the same texts.
unicode_lines=("\"LvPageTest$$ Тест 文档 😀\"=\"C:\\\\Тест\\\\文档\\\\app😀.exe /tray\""
               "\"LvPageTest$$ Тест 文档 😁\"=\"C:\\\\Тест\\\\文档\\\\app😁.exe /tray\"")
# Imports "KEY" and its LINES from a UTF-16 file, as regedit writes them.
import_lines() {
  { printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n' "${1/HKCU/HKEY_CURRENT_USER}"
    shift
    printf '%s\r\n' "$@"; } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$folder/import.reg"
  win reg import "$(win winepath -w "$folder/import.reg")" >/dev/null
}
cleanup() {
  win reg delete "$run" /v "$first" /f >/dev/null
  win reg delete "$run" /v "$second" /f >/dev/null
  import_lines "$run" "${unicode_lines[@]/=*/=-}"
  rm -rf "$folder"
}
trap cleanup EXIT

win reg add "$run" /v "$first" /t REG_SZ /d "$first_command" /f >/dev/null
win reg add "$run" /v "$second" /t REG_EXPAND_SZ /d "$second_command" /f >/dev/null
import_lines "$run" "${unicode_lines[@]}"
engine=()
for part in engine/values engine/access engine/system engine/keep engine/journal engine; do
  engine+=(--include "$pages/tweaks/js/$part.js")
done
output=$(win "$lvscript" --include "$(dirname "$0")/../scripts/Checks.js" "${engine[@]}" \
  --include "$pages/tweaks/js/defs/startup.js" \
  "$(dirname "$0")/StartupTests.js" "$first" "$first_command" "$second" "$second_command" "LvPageTest$$")
echo "$output"
status=0
grep -q '^9 passed, 0 failed$' <<<"$output" || status=1
win reg export "$run" "$(win winepath -w "$folder/export.reg")" /y >/dev/null
for line in "${unicode_lines[@]}"; do
  if ! iconv -f UTF-16LE -t UTF-8 "$folder/export.reg" | tr -d '\r' | grep -qxF "$line"; then
    echo "FAIL reg export does not give back, exactly: $line"
    status=1
  fi
done
if win reg query "$run" /v "$first" | grep -q "$first"; then
  echo "FAIL reg query still finds the removed entry"
  status=1
fi
if ! win reg query "$run" /v "$second" | grep -q "$second"; then
  echo "FAIL reg query no longer finds the entry that stays"
  status=1
fi
exit $status
