#!/usr/bin/env bash
# rurodatool as page authors call it: exit codes, standard output and standard error.
# RUN_TOOL, when set, runs the tool (the Windows build runs under Wine).
set -uo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

failures=0
check() { # description, then the test as a command
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
tool() { ${RUN_TOOL:-} "$tool" "$@"; }

mkdir -p pages/tweaks/img
printf 'Hello, index!\n' > pages/index.htm
printf '<html><body>start</body></html>' > pages/tweaks/start.html
head -c 3000 /dev/zero | tr '\0' 'x' > pages/tweaks/img/wide.txt

tool pack pages pages.db; check "pack exits 0" test $? -eq 0
tool pack --store pages stored.db; check "pack --store exits 0" test $? -eq 0
tool pack --level 1 pages fast.db; check "pack --level 1 exits 0" test $? -eq 0
tool pack --level x pages bad.db 2>/dev/null; check "pack with a bad level exits 2" test $? -eq 2
check "nothing written for a bad level" test ! -e bad.db

listing=$(tool list pages.db | tr -d '\r')
# In key order: folder number first, and the folder tweaks\img comes after tweaks.
check "list names every entry" test "$(printf '%s\n' "$listing" | cut -f1 | tr '\n' ' ')" = 'index.htm tweaks\start.html tweaks\img\wide.txt '
check "list shows a deflated entry with its sizes" grep -qP '^tweaks\\img\\wide.txt\t\d+\tdeflate\t3000$' <<<"$listing"

tool cat pages.db 'TWEAKS\Start.HTML' > out.html; status=$?
check "cat exits 0 with the entry's bytes" test $status -eq 0
check "cat writes exactly the entry" cmp -s out.html pages/tweaks/start.html
tool cat pages.db 'tweaks\img\wide.txt' > wide.txt
check "cat decodes deflated entries" cmp -s wide.txt pages/tweaks/img/wide.txt
tool cat pages.db 'tweaks\missing.html' > missing.out 2> missing.err; status=$?
check "cat of a missing entry exits 1" test $status -eq 1
check "cat of a missing entry writes nothing" test ! -s missing.out
check "cat of a missing entry says so" test -s missing.err

tool cat stored.db 'index.htm' > /dev/null; check "cat of a stored archive" test $? -eq 0
tool cat no-such.db 'index.htm' > /dev/null 2> open.err; status=$?
check "cat of a missing archive exits 2" test $status -eq 2
check "cat names the archive it cannot open" grep -q 'Cannot open file ".*no-such.db"' open.err

tool verify pages.db > verify.out; status=$?
check "verify of a sound archive exits 0" test $status -eq 0
check "verify prints a one-line summary" test "$(grep -c . verify.out)" -eq 1
head -c 40 pages.db > cut.db
tool verify cut.db > cut.out; status=$?
check "verify of a cut archive exits 1" test $status -eq 1
check "verify says what is wrong" grep -q 'Stream read error' cut.out

tool extract pages.db copy; check "extract exits 0" test $? -eq 0
check "extract restores the tree" diff -r pages copy

echo "$failures failed"
[ "$failures" -eq 0 ]
