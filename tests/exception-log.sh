#!/usr/bin/env bash
# A failure that a page script catches itself still leaves its trace: lvscript logs it, with
# the call stack down to the Registry object's method, in "lvscript.log" beside itself.
# Usage: exception-log.sh lvscript.exe (RUN_TOOL runs Windows programs)
set -uo pipefail
lvscript=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$lvscript" "$work/lvscript.exe"
cat >"$work/ReadNumberAsText.js" <<'SCRIPT'
var registry = external.Registry;
var base = "Software\\LumivantaLogTest-" + Math.floor(Math.random() * 1e9);
registry.RegCreateKey("HKCU", base);
try {
    registry.RegWriteInt("HKCU", base, "count", 5);
    try {
        registry.RegReadString("HKCU", base, "count");
        host.echo("no failure");
    } catch (e) {
        host.echo("caught: " + e.message);
    }
} finally {
    registry.RegDeleteKey("HKCU", base, true);
}
SCRIPT
cd "$work" || exit 1

failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

output=$(${RUN_TOOL:-} ./lvscript.exe ReadNumberAsText.js | tr -d '\r')
check "the script caught the failure" test "$output" = "caught: Invalid data type for 'count'"
log=$(tr -d '\r' <lvscript.log 2>/dev/null)
check "the log holds one entry" test "$(grep -c ' Exception ' <<<"$log")" -eq 1
check "for the registry's failure, where it was raised" \
  grep -qE '^.+ Exception ERegistryException occured in TRegistry::[A-Za-z]+ at [0-9]+ in file Registry_win\.cpp$' <<<"$log"
check "with its message" grep -qx "Message: Invalid data type for 'count'" <<<"$log"
check "and a stack through the Registry object's method, its file and line" \
  grep -qE '^\[[0-9A-F]{8}\] RegistryAutoObj_Impl_win\.TRegistryAutoObj::RegReadString \(Line [0-9]+, "RegistryAutoObj_Impl_win\.cpp"\)$' <<<"$log"
check "down to the script host" grep -qE '^\[[0-9A-F]{8}\] ScriptHost_win\.RunScriptFiles ' <<<"$log"
[ $failures -eq 0 ] || { echo "$log"; exit 1; }
