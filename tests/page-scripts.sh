#!/usr/bin/env bash
# PageScripts.js, then with reg what it cannot see: no hive lost a top-level key, and its HKLM\Software
# values are in the 64-bit view with their characters, not in the 32-bit one.
# Args: lvscript Checks.js PageScripts.js key_lock
set -uo pipefail
win() { ${RUN_TOOL:-} "$@" </dev/null 2>/dev/null | tr -d '\r'; }
key="Software\\LumivantaTest-$$-$RANDOM" locked="Software\\LumivantaTest-$$-$RANDOM-locked" work=$(mktemp -d)
trap 'win reg delete "HKLM\\$key" /reg:64 /f >/dev/null; win "$4" unlock "$locked"
      win reg delete "HKCU\\$locked" /f >/dev/null; rm -rf "$work"' EXIT
top_keys() { echo "$(win reg query HKCR | grep -c '^HKEY_') $(win reg query HKCU | grep -c '^HKEY_')"; }
win "$4" lock "$locked" || echo "FAIL the read-only key was not made"
before=$(top_keys)
win "$1" --include "$2" "$3" "$key" "$locked" || echo "FAIL the script ended with an error"
[ "$before" = "$(top_keys)" ] || echo "FAIL top-level keys of HKCR and HKCU: $before before, $(top_keys) after"
# reg query writes in the OEM code page, which has no euro sign; an export keeps every character.
(cd "$work" && win reg export "HKLM\\$key" native.reg /reg:64 /y >/dev/null)
exported=$(iconv -f UTF-16 -t UTF-8 "$work/native.reg" | tr -d '\r')
grep -qx '"Größe"="é ß €"' <<<"$exported" || echo "FAIL not in the 64-bit view"
grep -qx '"Ключ ★"="Тест 中文 😀"' <<<"$exported" || echo "FAIL a text no code page holds is not stored exactly"
! win reg query "HKLM\\$key" /reg:32 | grep -q Gr || echo "FAIL in the 32-bit view"
