#!/usr/bin/env bash
# The packages as a user meets them, under Wine: the portable zip's content; the Windows
# Installer package read back against Windows Installer's rules, signed and verified, refused
# for all users, installed per user, its program in the tray with auto-start, an upgrade over
# the running copy that starts it again, a refused downgrade by the third version field, the
# same version replacing itself, a portable copy that survives the installed one's upgrade and
# removal, a failed removal rolled back, and removal with and without the settings.
# Usage: installer.sh MSI ZIP SOURCE_ROOT PROGRAM ARCHIVE VERSION WindowPoke.exe WINGET_FOLDER CACHE
# (PROGRAM as the packages carry it; CACHE keeps 1.0.1's package; RUN_TOOL runs Windows programs)
set -uo pipefail
msi=$1 zip=$2 root=$3 program=$4 archive=$5 version=$6 poke=$7 winget=$8 cache=$9
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
value() { win reg query "$@" 2>/dev/null | tr -d '\r'; }
# The installed products as "Apps and features" lists them (Wine keeps per-user ones in HKLM).
products() { for hive in HKCU HKLM; do win reg query "$hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s; done 2>/dev/null | tr -d '\r'; }
matches() { local text=$1; shift; for pattern; do grep -q -- "$pattern" <<<"$text" || return 1; done; }
names() { grep -qF -- "$2" <<<"$1"; }
table() { msiinfo export "$1" "$2" | tr -d '\r' | tail -n +4; }
runs() { kill -0 "$1" 2>/dev/null; }
# 1.0.1 as released, built from the history by its own scripts (with this build's Ruroda.db,
# whose format it shares), once: the package is kept in CACHE under the release's commit.
release=9617ef4ec908e573ddba613090a321c1f133a3bd
released_package() {
  local package=$cache/$release/LumivantaManager-1.0.1.msi source=$work/release
  [ -f "$package" ] && return
  mkdir -p "$source" "$cache/$release" && git -C "$root" archive "$release" | tar -x -C "$source" &&
    cmake -S "$source" -B "$source/build" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64-i686.cmake" >/dev/null &&
    cmake --build "$source/build" -j "$(nproc)" --target LumivantaManager >/dev/null &&
    "$source/packaging/make-msi.sh" "$source/build/bin/LumivantaManager.exe" "$archive" "$source/src/app/Lumivanta.ico" \
      1.0.1 "$package.part" && mv "$package.part" "$package"
}
# The package's note of the closed program (where 1.0.2 kept it too), and the program running again.
no_installer_key() { lacks "$settings Closed for the installer" && lacks "$settings\\Closed for the installer"; }
hidden_again() { test "$(win "$poke" wait TMainForm && win "$poke" visible TMainForm | tr -d '\r')" = 0; }

class='CLSID\{B9C58654-ACD4-4E94-A982-BBE227BBE09C}'
settings='HKCU\SOFTWARE\Lumivanta Manager'
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
token=(/v 'Lumivanta Manager [www.lumivanta.com]')
agent='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\User Agent\Post Platform'
installed="$(folder LOCALAPPDATA)\\Programs\\Lumivanta Manager\\LumivantaManager.exe"
dir=$(dirname "$(winepath -u "$installed")")
shortcut=$(winepath -u "$(folder APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Lumivanta Manager.lnk")
check "the zip holds the program, Ruroda.db, the read-me and the licence" \
  test "$(zipinfo -1 "$zip" | sort | tr '\n' ' ')" = "License.txt LumivantaManager.exe ReadMe.txt Ruroda.db "
check "its program is the one the packages carry" cmp -s <(unzip -p "$zip" LumivantaManager.exe) "$program"
check "its texts have Windows line ends" grep -q $'\r$' <(unzip -p "$zip" ReadMe.txt)

# The package's tables, where Wine's installer cannot show what Windows would do with them.
check "the File table gives the program's version and language" \
  test "$(table "$msi" File | awk -F'\t' '$1 == "ProgramFile" { print $5, $6 }')" = "$version.0 1033"
check "and keeps a hash for unversioned files only" test "$(table "$msi" MsiFileHash | cut -f1)" = ArchiveFile
sequence=$(table "$msi" InstallExecuteSequence | sort -t$'\t' -k3 -n | cut -f1 | tr '\n' ' ')
check "the running copy is closed before InstallValidate looks for files in use" \
  grep -q 'CloseRunningCopy InstallValidate ' <<<"$sequence"
check "nothing comes between InstallInitialize and RemoveExistingProducts (ICE63)" \
  grep -q 'InstallInitialize RemoveExistingProducts ' <<<"$sequence"
check "removal removes every folder the package makes in the profile (ICE64)" \
  test "$(table "$msi" RemoveFile | awk -F'\t' '$3 == "" { print $4 }' | sort | tr '\n' ' ')" = "INSTALLDIR UserProgramsFolder "
check "the shortcut takes its icon from the program, a path that survives upgrades" \
  test "$(table "$msi" Shortcut | cut -f9)" = ""
# File names short and long (ICE03), no cross-component file reference (ICE69), nothing a
# per-user package may not have (ICE105: system folders, elevated actions), checksum bit.
short_names() { table "$msi" "$1" | cut -f"$2" | cut -d'|' -f1 | cut -d: -f1 | grep -Evx '\.|SourceDir|[^ .]{1,8}(\.[^ .]{1,3})?'; }
check "every file, folder and shortcut name has a valid short form (ICE03)" \
  test -z "$(short_names File 3; short_names Directory 3; short_names Shortcut 3)"
check "no registry value names a file of another component (ICE69)" test -z "$(awk -F'\t' 'NR == FNR { owner[$1] = $2; next }
  { while (match($5, /\[#[^]]+\]/)) { key = substr($5, RSTART + 2, RLENGTH - 3); if (owner[key] != $6) print key; $5 = substr($5, RSTART + RLENGTH) } }' \
  <(table "$msi" File) <(table "$msi" Registry))"
check "nor a system folder or an action run elevated (ICE105)" test -z "$(table "$msi" Directory | cut -f1 |
  grep -Ex 'AdminToolsFolder|CommonAppDataFolder|FontsFolder|System16Folder|System64Folder|SystemFolder|TempFolder|WindowsFolder|WindowsVolume';
  table "$msi" CustomAction | awk -F'\t' 'and($2, 2048)')"
check "the program's File row says its checksum is valid" test $(($(table "$msi" File | awk -F'\t' '$1 == "ProgramFile" { print $7 }') & 1024)) = 1024
check "the Windows Package Manager's manifest gives the package's SHA-256" \
  grep -qx "    InstallerSha256: $(sha256sum "$msi" | cut -d' ' -f1 | tr a-f A-F)" "$winget/Lumivanta.LumivantaManager.installer.yaml"
check "and its product code, per user" matches "$(cat "$winget/Lumivanta.LumivantaManager.installer.yaml")" \
  "ProductCode: '$(table "$msi" Property | awk -F'\t' '$1 == "ProductCode" { print $2 }')'" "Scope: user" "PackageVersion: $version"
check "and that it takes no --location" grep -qzF $'UnsupportedArguments:\n  - location\n' "$winget/Lumivanta.LumivantaManager.installer.yaml"

# Signed with a throw-away certificate of the test's own, given as a release build is given one:
# with a password, and without one.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Lumivanta test signing" -addext extendedKeyUsage=codeSigning 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/sign.p12" -passout pass:throw-away
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/open.p12" -passout pass:
verifies() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >/dev/null 2>&1; }
refused() { ! verifies "$1"; }
mkdir "$work/signed" && cp "$program" "$work/signed/LumivantaManager.exe"
LV_SIGN_PKCS12=$work/sign.p12 LV_SIGN_PASSWORD=throw-away "$root/packaging/sign.sh" "$work/signed/LumivantaManager.exe"
# A newer package by the third version field, whose Ruroda.db is told apart by one more byte.
newer=${version%.*}.$((${version##*.} + 1))
cat "$archive" - <<<'' >"$work/Ruroda.db"
"$root/packaging/make-msi.sh" "$work/signed/LumivantaManager.exe" "$work/Ruroda.db" "$root/src/app/Lumivanta.ico" \
  "$newer" "$work/newer.msi" && LV_SIGN_PKCS12=$work/open.p12 "$root/packaging/sign.sh" "$work/newer.msi" || exit 1
check "the program signed with the certificate the environment names verifies" verifies "$work/signed/LumivantaManager.exe"
check "and so does the package, signed with a certificate that has no password" verifies "$work/newer.msi"
cp "$work/signed/LumivantaManager.exe" "$work/tampered.exe" && printf X | dd of="$work/tampered.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
check "and a program changed after signing does not" refused "$work/tampered.exe"

msiexec /i "$msi" /qb ALLUSERS=1 & machine=$!
check "an install for all users is refused, saying why" \
  win "$poke" dialog "Lumivanta Manager is installed for the current user only. Run the package without ALLUSERS=1." ok
wait $machine; check "and fails, installing nothing" test $? -ne 0 -a ! -e "$dir"

released_package || { echo "FAIL 1.0.1 cannot be built from the history"; exit 1; }
msiexec /i "$cache/$release/LumivantaManager-1.0.1.msi" /qn
win "$installed" -hidden & released=$!
win "$poke" tray-icon
msiexec /i "$msi" /qn
check "a silent per-user install over 1.0.1 running in the tray ends with 0" test $? -eq 0
wait $released
check "it ended 1.0.1, and its program runs again, in the tray as it was" hidden_again
check "with no note of the closed copy left" no_installer_key
check "it installs the program and Ruroda.db, nothing else" \
  test "$(ls "$dir" | tr '\n' ' ')" = "LumivantaManager.exe Ruroda.db " -a "$(products | grep -c 'Version.*1\.0\.1')" = 0
check "with the program of this version" cmp -s "$dir/LumivantaManager.exe" "$program"
check "and a Start-menu shortcut" test -f "$shortcut"
check "Apps and features shows the product, its version, the maker, where it is and https links" \
  matches "$(products)" "DisplayName.*Lumivanta Manager" "DisplayVersion.*$version" "Publisher.*Lumivanta" \
  "InstallLocation.*Programs\\\\Lumivanta Manager\\\\$" "HelpLink.*https://www.lumivanta.com/contacts.php" "URLInfoAbout.*https://"
check "the class of the scheme handler is registered to the quoted program path" \
  names "$(value "HKCU\\Software\\Classes\\$class\\LocalServer32")" "\"$installed\""

check "the program started again shows its tray icon" win "$poke" tray-icon
win "$poke" tray-item 2
check "the tray menu's auto-start item writes a Run value starting it" \
  names "$(value "$run" /v LumivantaMgr)" "\"$installed\" -hidden"
msiexec /i "$work/newer.msi" /qn
check "a newer package, signed, installs over the older one" test $? -eq 0
check "after ending the running copy through Exit, which keeps the placement" has "$settings" /v MainFormSettings
check "one product is installed, the newer one" test "$(products | grep -c -e 'Name.*Lumivanta' -e "Version.*$newer$")" = 2
check "with the newer version's files" cmp -s "$dir/Ruroda.db" "$work/Ruroda.db"
check "and the program it ended runs again, in the tray as it was" hidden_again
msiexec /i "$msi" /qb & older=$!
check "the older package, older by the third version field, refuses to install, saying why" \
  win "$poke" dialog "A newer version of Lumivanta Manager is already installed. Remove it first to install this one." ok
wait $older; check "and fails" test $? -ne 0

# A portable copy runs (the installed one ended), and starts at logon.
win "$poke" end-session && win "$poke" ended
mkdir "$work/portable" && cp "$program" "$archive" "$work/portable/"
portable=$(winepath -w "$work/portable/LumivantaManager.exe")
win "$work/portable/LumivantaManager.exe" -hidden & other=$!
win "$poke" tray-icon
win reg add "$run" /v LumivantaMgr /d "\"$portable\" -hidden" /f >/dev/null
portable_left() {
  runs $other && names "$(value "$run" /v LumivantaMgr)" "\"$portable\" -hidden" &&
    names "$(value "HKCR\\$class\\LocalServer32")" "\"$portable\"" && has "$agent" "${token[@]}"
}
"$root/packaging/make-msi.sh" "$work/signed/LumivantaManager.exe" "$work/Ruroda.db" "$root/src/app/Lumivanta.ico" \
  "$newer" "$work/same.msi" || exit 1
msiexec /i "$work/same.msi" /qn
check "the same version built again replaces itself" test "$? $(products | grep -c 'Name.*Lumivanta')" = "0 1"
check "and leaves the portable copy running, with its auto-start value, class and token" portable_left

# Removal after a logged raise and a killed log writer, with the portable copy running.
echo 'an entry' >"$dir/debugger.log" && echo 'half an entry' >"$dir/lvlA1B2.tmp"
msiexec /x "$work/same.msi" /qn
check "a silent removal ends with 0" test $? -eq 0
check "it removes the program's folder, log and all" test ! -e "$dir"
check "and the shortcut" test ! -e "$shortcut"
check "and the per-user class registration" lacks "HKCU\\Software\\Classes\\$class"
check "and the product" test "$(products | grep -c 'Lumivanta Manager')" = 0
check "but keeps the window placement" has "$settings" /v MainFormSettings
check "and the portable copy, its auto-start value, class and token" portable_left
win "$poke" end-session; wait $other

# A removal that fails after the program's part puts back what that part removed, texts in any
# script byte for byte, and starts the program it ended again. It fails before the files go:
# Wine's rollback does not make a removed folder again, as Windows does.
cp "$msi" "$work/failing.msi"
msibuild "$work/failing.msi" \
  -q "INSERT INTO Directory (Directory, Directory_Parent, DefaultDir) VALUES ('SystemFolder', 'TARGETDIR', '.')" \
  -q "INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('Fail', 1058, 'SystemFolder', '[SystemFolder]cmd.exe /c exit 3')" \
  -q "INSERT INTO InstallExecuteSequence (Action, Condition, Sequence) VALUES ('Fail', 'REMOVE=\"ALL\" AND FAIL', 3400)"
msiexec /i "$work/failing.msi" & interactive=$!
check "an interactive install offers to start the program" win "$poke" dialog "Lumivanta Manager is installed. Start it now?" cancel
wait $interactive
win reg add "$run" /v LumivantaMgr /d "\"$installed\" -hidden" /f >/dev/null
texts='Заметка: 東京の会議 🎉' key='[HKEY_CURRENT_USER\SOFTWARE\Lumivanta Manager'
printf '\xef\xbb\xbfWindows Registry Editor Version 5.00\r\n\r\n%s\\Notes]\r\n"1"="%s"\r\n%s\\Journal]\r\n"0"="%s"\r\n' "$key" \
  "$texts" "$key" "2|0|t|0|w|Фон|HKCU|Control Panel|Wallpaper|sz|$texts|sz|" | iconv -f UTF-8 -t UTF-16LE >"$work/texts.reg"
win reg import "$(winepath -w "$work/texts.reg")" 2>/dev/null
export_texts() { for key in Notes Journal; do win reg export "$settings\\$key" "$(winepath -w "$work/$1-$key.reg")" /y >/dev/null; done; }
export_texts before
win "$installed" -hidden & win "$poke" tray-icon
msiexec /x "$work/failing.msi" /qn PURGE=1 FAIL=1
check "a removal that fails is rolled back, the program left in place" test $? -ne 0 -a -f "$dir/LumivantaManager.exe"
put_back() { names "$(value "$run" /v LumivantaMgr)" "\"$installed\" -hidden" && has "$settings" /v MainFormSettings; }
check "with the auto-start value and the settings put back" put_back
export_texts after
check "a note and a journal entry in Cyrillic, CJK and with an emoji, byte for byte" \
  eval 'iconv -f UTF-16LE -t UTF-8 "$work/before-Notes.reg" | grep -qF "$texts" && cmp -s "$work/before-Notes.reg" "$work/after-Notes.reg" &&
    cmp -s "$work/before-Journal.reg" "$work/after-Journal.reg"'
check "and the program it ended runs again, in the tray as it was" hidden_again
check "with no note of the closed copy left" no_installer_key
win "$poke" end-session && win "$poke" ended

# With no copy running to withdraw it, the token left by a copy that was killed goes too.
win reg add "$agent" "${token[@]}" /f >/dev/null
win reg add "$run" /v LumivantaMgr /d '"C:\Other copy\LumivantaManager.exe" -hidden' /f >/dev/null
msiexec /x "$work/failing.msi" /qn PURGE=1
check "removal with PURGE=1 also removes the settings" lacks "$settings"
check "and the user-agent token that a killed copy left" lacks "$agent" "${token[@]}"
check "but not the auto-start value of another copy" has "$run" /v LumivantaMgr
win reg delete "$run" /v LumivantaMgr /f >/dev/null

msiexec /i "$msi" /qn && { win "$installed" -hidden & last=$!; } && win "$poke" tray-icon
msiexec /x "$msi" /qn; removed=$?
check "a removal while the program runs ends it for good" eval 'test $removed -eq 0 && wait $last && test ! -e "$dir"'
check "and leaves no note of the closed copy" no_installer_key

echo "$failures failed"
[ "$failures" -eq 0 ]
