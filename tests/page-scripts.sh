#!/usr/bin/env bash
# PageScripts.js through lvscript, and with Wine's reg what the script cannot see itself: no
# hive lost a top-level key to a path of backslashes, and what it wrote under HKLM\Software
# is in the native 64-bit view, with its characters, and not in the 32-bit one.
# Usage: page-scripts.sh lvscript.exe Checks.js PageScripts.js (RUN_TOOL runs Windows programs)
set -uo pipefail
lvscript=$1 checks=$2 script=$3
win() { ${RUN_TOOL:-} "$@" </dev/null 2>/dev/null | tr -d '\r'; }
key="Software\\LumivantaTest-$$-$RANDOM"
work=$(mktemp -d)
trap 'win reg delete "HKLM\\$key" /reg:64 /f >/dev/null; rm -rf "$work"' EXIT
top_keys() { win reg query "$1" | grep -c '^HKEY_'; }

before="$(top_keys HKCR) $(top_keys HKCU)"
win "$lvscript" --include "$checks" "$script" "$key"; status=$?
after="$(top_keys HKCR) $(top_keys HKCU)"
[ "$before" = "$after" ] || { echo "FAIL top-level keys of HKCR and HKCU: $before before, $after after"; status=1; }

# reg query writes in the OEM code page, which has no euro sign; an export keeps every character.
(cd "$work" && win reg export "HKLM\\$key" native.reg /reg:64 /y >/dev/null)
if ! iconv -f UTF-16 -t UTF-8 "$work/native.reg" 2>/dev/null | tr -d '\r' | grep -qx '"Größe"="é ß €"'; then
  echo "FAIL the 64-bit view does not hold the text as written"; status=1
fi
if win reg query "HKLM\\$key" /reg:32 | grep -q Gr; then
  echo "FAIL the value went to the 32-bit view"; status=1
fi
exit $status
