#!/usr/bin/env bash
# The packages as a user meets them, under Wine: the portable zip's content; the Windows
# Installer package installed per user, its program in the tray with auto-start, an upgrade
# over the running copy, a refused downgrade, and removal with and without the settings.
# Usage: installer.sh MSI ZIP SOURCE_ROOT PROGRAM ARCHIVE VERSION WindowPoke.exe (RUN_TOOL runs Windows programs)
set -uo pipefail
msi=$1 zip=$2 root=$3 program=$4 archive=$5 version=$6 poke=$7
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The shortcut stays inside the prefix instead of becoming a menu entry of the host.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"

failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
win() { ${RUN_TOOL:-} "$@"; }
msiexec() { win msiexec "$1" "$(winepath -w "$2")" "${@:3}"; }
folder() { win cmd /c echo "%$1%" | tr -d '\r'; }
has() { win reg query "$@" >/dev/null 2>&1; }
lacks() { ! has "$@"; }
# The installed products as "Apps and features" lists them (Wine keeps per-user ones in HKLM).
products() { for hive in HKCU HKLM; do win reg query "$hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s; done 2>/dev/null | tr -d '\r'; }
matches() { local text=$1; shift; for pattern; do grep -q -- "$pattern" <<<"$text" || return 1; done; }

class='CLSID\{B9C58654-ACD4-4E94-A982-BBE227BBE09C}'
settings='HKCU\SOFTWARE\Lumivanta Manager'
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
installed="$(folder LOCALAPPDATA)\\Programs\\Lumivanta Manager\\LumivantaManager.exe"
dir=$(dirname "$(winepath -u "$installed")")
shortcut=$(winepath -u "$(folder APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Lumivanta Manager.lnk")
check "the zip holds the program, Ruroda.db, the read-me and the licence" \
  test "$(zipinfo -1 "$zip" | sort | tr '\n' ' ')" = "License.txt LumivantaManager.exe ReadMe.txt Ruroda.db "
check "its program is the one built" cmp -s <(unzip -p "$zip" LumivantaManager.exe) "$program"
check "its texts have Windows line ends" grep -q $'\r$' <(unzip -p "$zip" ReadMe.txt)

msiexec /i "$msi" /qn
check "a silent per-user install ends with 0" test $? -eq 0
check "it installs the program and Ruroda.db, nothing else" test "$(ls "$dir" | tr '\n' ' ')" = "LumivantaManager.exe Ruroda.db "
check "and a Start-menu shortcut" test -f "$shortcut"
check "Apps and features shows the product, its version, the maker and a help link" \
  matches "$(products)" "DisplayName.*Lumivanta Manager" "DisplayVersion.*$version" "Publisher.*Lumivanta" "HelpLink.*lumivanta"
check "the class of the scheme handler is registered" has "HKCU\\Software\\Classes\\$class\\LocalServer32"

win "$installed" -hidden & first=$!
check "the installed program started with -hidden shows its tray icon" win "$poke" tray-icon
win "$poke" tray-item 2
check "the tray menu's auto-start item writes a Run value starting it" \
  matches "$(win reg query "$run" /v LumivantaMgr)" "\"${installed//\\/\\\\}\" -hidden"
# A newer package, whose Ruroda.db is told apart by one more byte.
cat "$archive" - <<<'' >"$work/Ruroda.db"
"$root/packaging/make-msi.sh" "$program" "$work/Ruroda.db" "$root/src/app/Lumivanta.ico" 99.0.0 "$work/newer.msi" || exit 1
msiexec /i "$work/newer.msi" /qn
check "a newer package installs over the older one" test $? -eq 0
wait $first
check "after ending the running copy through Exit, which keeps the placement" has "$settings" /v MainFormSettings
check "one product is installed, the newer one" test "$(products | grep -c -e 'Name.*Lumivanta' -e 'Version.*99\.0\.0$')" = 2
check "with the newer version's files" cmp -s "$dir/Ruroda.db" "$work/Ruroda.db"
msiexec /i "$msi" /qb & older=$!
check "the older package refuses to install over the newer one, saying why" \
  win "$poke" dialog "A newer version of Lumivanta Manager is already installed. Remove it first to install this one." ok
wait $older; check "and fails" test $? -ne 0

# Wine's upgrade removes the older version as a plain removal, auto-start value and all.
win "$installed" -hidden & first=$!
win "$poke" tray-item 2
msiexec /x "$work/newer.msi" /qn; removal=$?
wait $first
check "a silent removal ends with 0, after ending the running copy through Exit" test "$removal $?" = "0 0"
check "it removes the program's folder" test ! -e "$dir"
check "and the shortcut" test ! -e "$shortcut"
check "and the class registration" lacks "HKCR\\$class"
check "and the per-user one" lacks "HKCU\\Software\\Classes\\$class"
check "and the auto-start value" lacks "$run" /v LumivantaMgr
check "and the user-agent token" lacks 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\User Agent\Post Platform' /v 'Lumivanta Manager [www.lumivanta.com]'
check "and the product" test "$(products | grep -c 'Lumivanta Manager')" = 0
check "but keeps the window placement" has "$settings" /v MainFormSettings

msiexec /i "$msi" & interactive=$!
check "an interactive install offers to start the program" win "$poke" dialog "Lumivanta Manager is installed. Start it now?" cancel
wait $interactive
win reg add "$run" /v LumivantaMgr /d '"C:\Other copy\LumivantaManager.exe" -hidden' /f >/dev/null
msiexec /x "$msi" /qn PURGE=1
check "removal with PURGE=1 also removes the settings" lacks "$settings"
check "but not the auto-start value of another copy" has "$run" /v LumivantaMgr
win reg delete "$run" /v LumivantaMgr /f >/dev/null

echo "$failures failed"
[ "$failures" -eq 0 ]
