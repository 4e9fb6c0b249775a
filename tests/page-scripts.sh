#!/usr/bin/env bash
# PageScripts.js, then with reg what it cannot see: no hive lost a top-level key, and its HKLM\Software
# value is in the 64-bit view with its characters, not in the 32-bit one. Args: lvscript Checks.js PageScripts.js
set -uo pipefail
win() { ${RUN_TOOL:-} "$@" </dev/null 2>/dev/null | tr -d '\r'; }
key="Software\\LumivantaTest-$$-$RANDOM" work=$(mktemp -d)
trap 'win reg delete "HKLM\\$key" /reg:64 /f >/dev/null; rm -rf "$work"' EXIT
top_keys() { echo "$(win reg query HKCR | grep -c '^HKEY_') $(win reg query HKCU | grep -c '^HKEY_')"; }
before=$(top_keys)
win "$1" --include "$2" "$3" "$key" || echo "FAIL the script ended with an error"
[ "$before" = "$(top_keys)" ] || echo "FAIL top-level keys of HKCR and HKCU: $before before, $(top_keys) after"
# reg query writes in the OEM code page, which has no euro sign; an export keeps every character.
(cd "$work" && win reg export "HKLM\\$key" native.reg /reg:64 /y >/dev/null)
iconv -f UTF-16 -t UTF-8 "$work/native.reg" | tr -d '\r' | grep -qx '"Größe"="é ß €"' || echo "FAIL not in the 64-bit view"
! win reg query "HKLM\\$key" /reg:32 | grep -q Gr || echo "FAIL in the 32-bit view"
