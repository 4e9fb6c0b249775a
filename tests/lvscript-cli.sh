#!/usr/bin/env bash
# lvscript's command line: included files run first and in order, in one engine; a failure
# names the file and line it happened in; arguments after the script reach host.args. A script
# that opens no list editor needs no display.
# Usage: lvscript-cli.sh lvscript.exe (RUN_TOOL runs Windows programs)
set -uo pipefail
lvscript=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
printf 'var order = ["first"];\n' >first.js
printf 'order.push("second");\n\nfunction fail() {\n    throw new Error("failed in second");\n}\n' >second.js
printf 'order.push("main");\nhost.echo(order.join(" ") + " " + host.args.join(","));\n' >main.js
printf 'fail();\n' >calls.js
printf 'var broken = ;\n' >broken.js

failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
run() { env -u DISPLAY ${RUN_TOOL:-} ./lvscript.exe "$@" 2>&1 | tr -d '\r'; }
cp "$lvscript" lvscript.exe

check "included files run first, in their order, and the arguments follow the script" \
  test "$(run --include first.js --include second.js main.js a "b c")" = "first second main a,b c"
check "a failure names the included file and its line" \
  test "$(run --include first.js --include second.js calls.js)" = "second.js(4): failed in second"
check "a syntax error names its file, and nothing after it runs" \
  test "$(run --include broken.js main.js)" = "broken.js(1): Syntax error"
${RUN_TOOL:-} ./lvscript.exe --include first.js >/dev/null 2>&1; status=$?
check "an include without a script to run is a usage error" test $status -eq 2
${RUN_TOOL:-} ./lvscript.exe --include missing.js main.js >/dev/null 2>&1; status=$?
check "a missing file fails before anything runs" test $status -eq 2
[ $failures -eq 0 ]
