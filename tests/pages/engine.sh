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
includes=(--include "$(dirname "$0")/../scripts/Checks.js" --include "$(dirname "$0")/WineDiffers.js")
# The scripts of the program's own host, as the archive lists them (the definitions come below).
while read -r script; do
  includes+=(--include "$pages/tweaks/js/$script")
done < <(grep -v '^#' "$pages/host-scripts.txt")
includes+=(--include "$(dirname "$0")/RegFileTests.js")
for definitions in "$pages"/tweaks/js/defs/*.js; do
  includes+=(--include "$definitions")
done
locked="Software\\LumivantaTest-$$\\Journal"
cleanup() {
  ${RUN_TOOL:-} "$lock" unlock "$locked"
  ${RUN_TOOL:-} reg delete "HKCU\\${locked%\\Journal}" /f >/dev/null 2>&1
}
trap cleanup EXIT
# The locked journal holds one change of a value of the test's own, from 1 to 2.
${RUN_TOOL:-} reg add "HKCU\\${locked%\\Journal}" /v Value /t REG_DWORD /d 2 /f >/dev/null
${RUN_TOOL:-} reg add "HKCU\\$locked" /v 0 /d "1|0|locked|Locked value|HKCU|${locked%\\Journal}|Value|dword|1|dword|2" /f >/dev/null
${RUN_TOOL:-} "$lock" lock "$locked"
${RUN_TOOL:-} "$lvscript" "${includes[@]}" "$(dirname "$0")/EngineTests.js" "$version" "$locked" 2>&1 | tr -d '\r'

