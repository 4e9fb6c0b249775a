#!/usr/bin/env bash
# Kept settings end to end under Wine, on the registry of the throw-away prefix: three settings
# applied with "/apply"; one changed from outside with "reg add"; "/check" names it; the running
# "-hidden" copy notices it (the history); putting it back makes "/check" pass; a changed Windows
# build is named by the next start's check; a damaged kept-settings entry is skipped while the
# tray copy runs on; a malformed or oversized file is refused with nothing written.
# Usage: kept-settings.sh LumivantaManager.exe ARCHIVE|HOST.js WindowPoke.exe SCENARIO.sh rurodatool.exe
# SCENARIO.sh names the settings and where the pages keep them; a HOST.js in place of the pages'
# archive is packed alone as the archive's host script (RUN_TOOL runs Windows programs).
set -uo pipefail
program=$1 archive=$2 poke=$3
source "$4"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/app" "$work/pages/tweaks/js"
cp "$program" "$work/app/LumivantaManager.exe"
if [[ $archive == *.js ]]; then
  cp "$archive" "$work/pages/tweaks/js/host.js"
  echo tweaks/js/host.js >"$work/pages/tweaks/js/host.txt"
  (cd "$work" && ${RUN_TOOL:-} "$5" pack pages app/Ruroda.db >/dev/null)
else
  cp "$archive" "$work/app/Ruroda.db"
fi
cd "$work" || exit 1

failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
win() { ${RUN_TOOL:-} "$@"; }
# Runs the program's command line; its exit code in $code, its text in said.txt.
lm() { win app/LumivantaManager.exe "$@" >said.raw 2>&1; code=$?; tr -d '\r' <said.raw >said.txt; }
said() { grep -q "$1" said.txt; }
reg_value() { win reg query "$1" /v "$2" /reg:64 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n {print $3}'; }
# Waits up to ten seconds for a command to succeed (the time it took is the benchmarks' matter).
eventually() { for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done; return 1; }
printf '%s\r\n' "Windows Registry Editor Version 5.00" "" "${settings_file[@]}" >three.reg

lm /apply three.reg /log run.log
check "/apply of three settings of three categories exits 0" test "$code" -eq 0
check "and names each" test "$(grep -c "$applied_line" said.txt)" -eq 3
check "the log has a dated line for each" \
  test "$(grep -cE "^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}  .*$applied_line" run.log)" -eq 3

win app/LumivantaManager.exe -hidden & tray=$!
win "$poke" tray-icon >/dev/null
win reg add "$outside_key" /v "$outside_value" /t REG_DWORD /d "$outside_data" /f /reg:64 >/dev/null
check "the running -hidden copy notices the outside change (the history)" eventually history_names "$outside_title"
lm /check
check "/check then exits 1" test "$code" -eq 1
check "and names the setting changed back" said "$outside_title"
lm /apply three.reg
check "putting it back with /apply exits 0" test "$code" -eq 0
lm /check
check "then /check exits 0" test "$code" -eq 0
win "$poke" end-session; wait $tray

version='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion'
old_build=$(reg_value "$version" CurrentBuild) old_ubr=$(reg_value "$version" UBR)
win reg add "$version" /v CurrentBuild /d 26100 /f /reg:64 >/dev/null
win reg add "$version" /v UBR /t REG_DWORD /d 2605 /f /reg:64 >/dev/null
damage_store
win app/LumivantaManager.exe -hidden & tray=$!
check "a damaged kept-settings store does not stop the tray copy" win "$poke" tray-icon
check "the start check names the old and the new build" eventually build_change_told "$old_build" 26100
lm /check
check "and /check reports the damaged entry as skipped" said "$skipped_line"
win "$poke" end-session; wait $tray
win reg add "$version" /v CurrentBuild /d "$old_build" /f /reg:64 >/dev/null
win reg add "$version" /v UBR /t REG_DWORD /d "$((old_ubr))" /f /reg:64 >/dev/null

win reg add "$outside_key" /v "$outside_value" /t REG_DWORD /d "$outside_data" /f /reg:64 >/dev/null
printf '%s\r\n' "REGEDIT4 is not this" "${settings_file[@]}" >malformed.reg
lm /apply malformed.reg
check "a malformed file is refused with exit code 3" test "$code" -eq 3
check "and nothing is written" test "$(reg_value "$outside_key" "$outside_value")" = "$(printf '0x%x' "$outside_data")"
{ cat three.reg; head -c $((4 * 1024 * 1024)) /dev/zero | tr '\0' ';'; } >oversized.reg
lm /apply oversized.reg
check "an oversized file is refused with exit code 3" test "$code" -eq 3
check "and nothing is written" test "$(reg_value "$outside_key" "$outside_value")" = "$(printf '0x%x' "$outside_data")"
lm /apply; check "a command line not understood exits 5" test "$code" -eq 5
lm /export; check "/export without a file too" test "$code" -eq 5
exit $((failures > 0))
