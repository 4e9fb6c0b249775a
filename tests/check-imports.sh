#!/usr/bin/env bash
# Every program must start on a bare Windows: it may import only the system's own DLLs.
set -euo pipefail
system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comdlg32|comctl32|urlmon|version|msvcrt|shlwapi|uxtheme|dbghelp|ws2_32|bcrypt|crypt32)\.dll$'
status=0
for exe in "$@"; do
  while read -r dll; do
    if ! grep -qiE "$system_dlls" <<<"$dll"; then
      echo "$(basename "$exe") needs $dll"
      status=1
    fi
  done < <(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done
[ $status -eq 0 ] && echo "only system DLLs imported by: $(for e in "$@"; do basename "$e"; done | tr '\n' ' ')"
exit $status
