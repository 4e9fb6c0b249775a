#!/usr/bin/env bash
# Runs the tweak engine and every tweak definition through lvscript against the registry of a
# throw-away Wine prefix; the checks change real Explorer settings, so any other prefix is refused.
# Usage: engine.sh lvscript.exe PAGES_FOLDER VERSION KEY_LOCK (RUN_TOOL runs Windows programs)
set -euo pipefail
lvscript=$1 pages=$2 version=$3 lock=$4
case "$(basename "${WINEPREFIX:-}")" in
  lv-wine.*) ;;
  *) echo "FAIL refusing to run outside a throw-away prefix of scripts/with-wine-session.sh"; exit 1 ;;
esac
includes=(--include "$(dirname "$0")/../scripts/Checks.js" --include "$(dirname "$0")/WineDiffers.js"
  --include "$pages/tweaks/js/engine.js" --include "$pages/tweaks/js/regfile.js" --include "$pages/tweaks/js/transfer.js"
  --include "$(dirname "$0")/RegFileTests.js")
for definitions in "$pages"/tweaks/js/defs/*.js; do
  includes+=(--include "$definitions")
done
locked="Software\\LumivantaTest-$$\\Journal"
folders='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
saved=$(mktemp -d)
path() { ${RUN_TOOL:-} winepath -w "$saved/$1" | tr -d '\r'; }
cleanup() {
  ${RUN_TOOL:-} "$lock" unlock "$locked"
  ${RUN_TOOL:-} reg delete "HKCU\\${locked%\\Journal}" /f >/dev/null 2>&1
  [[ ! -f $saved/own.reg ]] || ${RUN_TOOL:-} reg import "$(path own.reg)" >/dev/null 2>&1
  rm -rf "$saved"
}
trap cleanup EXIT
# The locked journal holds one change of a value of the test's own, from 1 to 2.
${RUN_TOOL:-} reg add "HKCU\\${locked%\\Journal}" /v Value /t REG_DWORD /d 2 /f >/dev/null
${RUN_TOOL:-} reg add "HKCU\\$locked" /v 0 /d "1|0|locked|Locked value|HKCU|${locked%\\Journal}|Value|dword|1|dword|2" /f >/dev/null
${RUN_TOOL:-} "$lock" lock "$locked"
${RUN_TOOL:-} "$lvscript" "${includes[@]}" "$(dirname "$0")/EngineTests.js" "$version" "$locked" 2>&1 | tr -d '\r'

# The documents folder holding Cyrillic, CJK and an emoji, from a UTF-16 file, is changed through the
# engine and undone: the key's "reg export" is the same to the byte. The prefix's own folders come back.
export_folders() { ${RUN_TOOL:-} reg export "$folders" "$(path "$1")" /y >/dev/null; }
export_folders own.reg
data=$(printf '%%USERPROFILE%%\\Документы 文档 📁\0' | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ',')
printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"Personal"=hex(2):%s\r\n' "$folders" "${data:1:-1}" |
  iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$saved/unicode.reg"
${RUN_TOOL:-} reg import "$(path unicode.reg)" >/dev/null
export_folders before.reg
${RUN_TOOL:-} "$lvscript" "${includes[@]}" "$(dirname "$0")/EngineTests.js" "$version" "$locked" folder 2>&1 | tr -d '\r'
export_folders after.reg
cmp -s "$saved/before.reg" "$saved/after.reg" || echo "FAIL reg export of the folders differs after the change and its undo"
