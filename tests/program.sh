#!/usr/bin/env bash
# The program as a process under Wine: its exit codes, its single instance, its COM switches
# (which need neither the archive nor the single-instance guard, and show no box), "-hidden",
# and the window placement kept from one run to the next.
# Usage: program.sh LumivantaManager.exe Ruroda.db WindowPoke.exe (RUN_TOOL runs Windows programs)
set -uo pipefail
program=$1 archive=$2 poke=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/app/pages/tweaks" "$work/empty" "$work/broken copy"
cp "$program" "$work/app/LumivantaManager.exe"
cp "$program" "$work/empty/LumivantaManager.exe"
cp "$program" "$work/broken copy/LumivantaManager.exe"
cp "$archive" "$work/app/Ruroda.db"
head -c 100 "$archive" >"$work/broken copy/Ruroda.db"
echo '<html>loose</html>' > "$work/app/pages/tweaks/start.html"
cd "$work" || exit 1

failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
win() { ${RUN_TOOL:-} "$@"; }
clsid='{B9C58654-ACD4-4E94-A982-BBE227BBE09C}'
settings='HKCU\SOFTWARE\Lumivanta Manager'

# No archive: the run-time's report, exit code 217.
win empty/LumivantaManager.exe & pid=$!
text=$(win "$poke" box Error | tr -d '\r')
wait $pid; status=$?
check "a missing archive ends with exit code 217" test $status -eq 217
check "and the report names the error and an address" grep -qE '^Runtime error 217 at [0-9A-F]{8}$' <<<"$text"
check "the log beside the program tells why" grep -q '^Message: Cannot open file ".*Ruroda.db"' empty/debugger.log
check "and where" grep -qE '^\[[0-9A-F]{8}\] FileStream_win\.' empty/debugger.log

# A later start-up step fails, the browser control (its library withheld): the same report, 217.
WINEDLLOVERRIDES=ieframe=d win app/LumivantaManager.exe & pid=$!
win "$poke" box Error >/dev/null
wait $pid; status=$?
check "a browser control that cannot be made ends with exit code 217" test $status -eq 217
check "the log tells where" grep -qE '^\[[0-9A-F]{8}\] EmbeddedWB_win\.' app/debugger.log

# COM switches write and remove the class registration, then end, without a box (a box would
# hold the process until the time-out), with a damaged archive too.
server() { ${RUN_TOOL:-} reg query "HKCR\\CLSID\\$clsid\\LocalServer32" 2>/dev/null | tr -d '\r' | grep REG_SZ; }
switch() { timeout 20 ${RUN_TOOL:-} "$@"; }
switch "broken copy/LumivantaManager.exe" /RegServer; status=$?
check "REGSERVER ends with 0, with a damaged archive" test $status -eq 0
check "and writes LocalServer32 as the quoted path" grep -q '"[A-Z]:\\.*\\broken copy\\LumivantaManager.exe"$' <<<"$(server)"
switch app/LumivantaManager.exe -unregserver; status=$?
check "UNREGSERVER of another copy ends with 0" test $status -eq 0
check "and leaves the registration that names the first" grep -q 'broken copy' <<<"$(server)"
switch "broken copy/LumivantaManager.exe" -unregserver; status=$?
check "UNREGSERVER ends with 0, with a damaged archive" test $status -eq 0
check "and removes the class key that names its copy" bash -c "! ${RUN_TOOL:-} reg query 'HKCR\\CLSID\\$clsid' >/dev/null 2>&1"

# One copy a session: a second start ends at once with 0, in both modes, and the first runs on.
win app/LumivantaManager.exe -hidden & first=$!
win "$poke" wait TMainForm
check "-hidden as first argument shows no window" test "$(win "$poke" visible TMainForm | tr -d '\r')" = 0
switch app/LumivantaManager.exe /unregserver; status=$?
check "UNREGSERVER works while a copy runs, which registered itself at its start" test "$status $(server | grep -c .)" = "0 0"
switch app/LumivantaManager.exe /regserver; status=$?
check "REGSERVER too" test "$status $(server | grep -c '\\app\\')" = "0 1"
win app/LumivantaManager.exe; status=$?
check "a second copy ends with 0" test $status -eq 0
win app/LumivantaManager.exe /data=pages; status=$?
check "a second copy in folder mode ends with 0" test $status -eq 0
check "the first copy's window stays hidden" test "$(win "$poke" visible TMainForm | tr -d '\r')" = 0
win "$poke" end-session
wait $first; status=$?
check "the end of the session ends the first copy with 0" test $status -eq 0
check "the placement is kept at the end" bash -c "${RUN_TOOL:-} reg query '$settings' /v MainFormSettings 2>/dev/null | grep -q REG_BINARY"

# "-hidden" counts only as the first argument.
win app/LumivantaManager.exe /data=pages -hidden & first=$!
check "-hidden after another argument shows the window" win "$poke" shown TMainForm
win "$poke" end-session
wait $first

# An installer's switch is answered while a copy holds the single-instance guard: /close ends it.
win app/LumivantaManager.exe -hidden & first=$!
win "$poke" wait TMainForm
switch app/LumivantaManager.exe /close; status=$?
win "$poke" ended; ended=$?
check "/close, while a copy holds the single-instance guard, ends that copy" test "$status $ended" = "0 0"
[ $ended -eq 0 ] || win "$poke" end-session
wait $first
win reg delete "$settings\\Closed for the installer" /f >/dev/null 2>&1

# A stored placement comes back: width 640, height 480, left -100, top 50.
win reg add "$settings" /v MainFormSettings /t REG_BINARY /d 8002e0019cff3200 /f >/dev/null
win app/LumivantaManager.exe -hidden & first=$!
win "$poke" wait TApplication
win "$poke" end-session
wait $first
check "a placement with a negative left edge is kept as it was" bash -c "${RUN_TOOL:-} reg query '$settings' /v MainFormSettings | grep -qi 8002E0019CFF3200"

echo "$failures failed"
[ "$failures" -eq 0 ]
