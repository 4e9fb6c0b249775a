#!/usr/bin/env bash
# The Dialogs object's real dialogs, confirmed and cancelled by pressing their buttons while
# lvscript runs tests/scripts/Dialogs.js, which checks what the script receives.
# Usage: dialogs.sh lvscript.exe Dialogs.js WindowPoke.exe (RUN_TOOL runs Windows programs)
set -uo pipefail
lvscript=$1 script=$2 poke=$3
win() { ${RUN_TOOL:-} "$@"; }
# On the prefix's drive C:, not below /tmp or the checkout: the folder dialog expands its tree down
# to the start folder, and it does not find one when a folder on the way changes meanwhile (other
# programs' temporary files come and go in /tmp, where the checkout may be too).
drive_c=$(win winepath -u 'C:\' | tr -d '\r')
work=$(mktemp -d "$drive_c/lv-dialogs.XXXXXX")
trap 'rm -rf "$work"' EXIT
folder=$(win winepath -w "$work" | tr -d '\r')
touch "$work/chosen.txt"
file="$folder\\chosen.txt"

# A copy of its own, so that the exception log it keeps beside itself is this test's.
cp "$lvscript" "$work/" && lvscript="$work/$(basename "$lvscript")"
win "$lvscript" --include "$(dirname "$0")/scripts/Checks.js" "$script" "$folder" "$file" >"$work/out" 2>&1 & runner=$!
failures=0
answer() {
  if ! win "$poke" dialog "$@"; then
    echo "FAIL no dialog answered: $*"
    failures=$((failures + 1))
  fi
}
answer Color ok
answer Color ok
answer Color ok
answer Color cancel
answer "Select File" ok "$file"
answer "Select File" cancel
answer "Select Directory" ok
answer "Select Directory" cancel
if [ $failures -ne 0 ]; then
  kill $runner 2>/dev/null
fi
wait $runner; status=$?
output=$(tr -d '\r' <"$work/out")
echo "$output"
# No dialog, confirmed or cancelled, is an exception.
[ -e "$work/lvscript.log" ] && { echo "FAIL lvscript.log was written:"; cat "$work/lvscript.log"; failures=1; }
[ $failures -eq 0 ] && [ $status -eq 0 ] && grep -q '^9 passed, 0 failed$' <<<"$output"
