#!/usr/bin/env bash
# lvscript --serve from outside: what it refuses, with a real HTTP client, and that a refused
# call runs nothing; the bytes of the archive as rurodatool cat gives them; and in headless
# Chromium the real objects behind a page: a method's failure thrown as an Error with its
# message, and a colour dialog, answered by pressing its button, giving its value to the page.
# Usage: preview.sh lvscript.exe WindowPoke.exe RURODATOOL ARCHIVE LumivantaManager.exe
# (RUN_TOOL runs Windows programs)
set -uo pipefail
lvscript=$1 poke=$2 tool=$3 archive=$4 program=$5
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
${RUN_TOOL:-} "$lvscript" --serve "$archive" >"$work/url" 2>"$work/err" & server=$!
trap 'kill $server; wait $server; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/url" ] && break; sleep 0.1; done
url=$(head -1 "$work/url" | tr -d '\r')
base=${url%/tweaks/start.html} port=${url#http://127.0.0.1:} && port=${port%%/*}
status() { curl -s -o /dev/null -w '%{http_code}' "$@"; }
made() { ${RUN_TOOL:-} reg query 'HKCU\Software\LvPreviewRefused' >/dev/null 2>&1; }
absent() { ! made; }
call='[1,"Registry","RegCreateKey","--","HKCU","Software\\LvPreviewRefused"]'
: "$(status "$url")" "$(status "$url")" # two page loads make root objects 1 and 2

check "the URL names a token of 128 bits" grep -Eq '^http://127\.0\.0\.1:[0-9]+/[0-9a-f]{32}/tweaks/start\.html$' <<<"$url"
check "a path without the token is refused" test "$(status "http://127.0.0.1:$port/tweaks/start.html")" = 403
check "a wrong token is refused" test "$(status "${base}0/tweaks/start.html")" = 403
check "another Host is refused" test "$(status -H "Host: lumivanta.example:$port" "$url")" = 403
check "a call from another Origin is refused" \
  test "$(status -H "Origin: http://127.0.0.1:1" --data "$call" "$base/-/call")" = 403
check "a call with another Host is refused" test "$(status -H "Host: localhost:$port" --data "$call" "$base/-/call")" = 403
check "a call without the token is refused" test "$(status --data "$call" "http://127.0.0.1:$port/-/call")" = 403
check "a call by GET is refused" test "$(status "$base/-/call")" = 405
check "and none of them ran" absent
head -c 1100000 /dev/zero >"$work/big"
check "a body over 1 MiB is refused" test "$(status --data-binary @"$work/big" "$base/-/call")" = 413
check "a head over 16 KiB is refused" test "$(status -H "X-Long: $(head -c 17000 /dev/zero | tr '\0' a)" "$url")" = 431
check "a call from the server's own Origin runs" \
  test "$(curl -s -H "Origin: http://127.0.0.1:$port" --data "$call" "$base/-/call")" = '{"value":true}'
check "on the real registry" made
${RUN_TOOL:-} reg delete 'HKCU\Software\LvPreviewRefused' /f >/dev/null 2>&1
curl -s --data '[2,"Dialogs","GetColor","-",255]' "$base/-/call" >"$work/colour" & colour=$!
${RUN_TOOL:-} "$poke" wait '#32770' >/dev/null
check "while a dialog is open, other calls are answered" \
  test "$(curl -s -m 10 --data '[2,"","CheckVer","-",100]' "$base/-/call")" = '{"value":true}'
${RUN_TOOL:-} "$poke" dialog Color ok && wait $colour
check "and the dialog's own call after it" test "$(cat "$work/colour")" = '{"value":"0000FF"}'
check "a page that is gone lets go of its objects" test "$(curl -s --data '[1]' "$base/-/call"
  curl -s --data "$call" "$base/-/call")" = "{}{\"error\":\"The page's objects are gone: load the page again\"}"

# 32 connections that send nothing: a new one takes the place of the one idle longest.
idlers=()
for _ in $(seq 32); do exec {idler}<>"/dev/tcp/127.0.0.1/$port" && idlers+=("$idler"); done
check "beside 32 idle connections a page is still served" test "$(status "$url")" = 200
for idler in "${idlers[@]}"; do exec {idler}<&-; done

# A client that sends request after request and reads no answer: the answers waiting for it
# stay below a bound, so does the memory of the process, and of the pages it loaded (which
# never say they are gone) only the last keep their objects.
kib() { awk '/^RssAnon:/ { print $2 }' "/proc/$server/status"; }
before=$(kib)
page="GET ${url#http://127.0.0.1:$port} HTTP/1.1\r\nHost: 127.0.0.1:$port\r\n\r\n"
(exec 3<>"/dev/tcp/127.0.0.1/$port" && for _ in $(seq 4000); do printf "$page"; done >&3 && exec sleep 60) & flood=$!
sleep 5
growth=$(($(kib) - before))
kill $flood
check "a client that pipelines 4,000 pages and reads none grows the memory by less than 8 MiB ($growth KiB)" \
  test "$growth" -lt 8192
check "and the first pages have let go of their objects" test "$(curl -s --data '[2,"","CheckVer","-",100]' "$base/-/call")" = \
  "{\"error\":\"The page's objects are gone: load the page again\"}"

curl -s "$base/tweaks/js/engine.js" >"$work/served.js"
"$tool" cat "$archive" 'tweaks\js\engine.js' >"$work/cat.js"
check "a script is served byte for byte as rurodatool cat gives it" cmp -s "$work/served.js" "$work/cat.js"
curl -s "$url" | perl -0pe 's{<script>\(function \(\) \{.*?\}\)\(\);</script>}{}s' >"$work/served.html"
"$tool" cat "$archive" 'tweaks\start.html' >"$work/cat.html"
check "a page too, apart from the one script put at the start of its head" cmp -s "$work/served.html" "$work/cat.html"
check "the script is first in the head" grep -q '^<head><script>(function' <(curl -s "$url")
check "nothing is kept by the browser" grep -qi '^Cache-Control: no-store' <(curl -s -D - -o /dev/null "$base/tweaks/js/engine.js")

mkdir -p "$work/pages/tweaks" && echo first >"$work/pages/tweaks/note.txt"
${RUN_TOOL:-} "$lvscript" --serve "$work/pages" --port "$((port + 1))" >"$work/folder-url" 2>&1 & folderServer=$!
for _ in $(seq 100); do [ -s "$work/folder-url" ] && break; sleep 0.1; done
note=$(head -1 "$work/folder-url" | tr -d '\r') && note=${note%start.html}note.txt
before=$(curl -s "$note") && echo edited >"$work/pages/tweaks/note.txt"
edited() { [ "$before $(curl -s "$note")" = "first edited" ] && [[ $note == http://127.0.0.1:$((port + 1))/* ]]; }
check "a pages folder is served at the given port, an edited file as it is now" edited
kill $folderServer

# An idle time of 1 s: a connection that sends nothing is closed, one whose call waits in a dialog is
# kept, and its answer comes once the dialog is confirmed.
${RUN_TOOL:-} "$lvscript" --serve "$archive" --idle 1 >"$work/idle-url" 2>&1 & idleServer=$!
for _ in $(seq 100); do [ -s "$work/idle-url" ] && break; sleep 0.1; done
idle=$(head -1 "$work/idle-url" | tr -d '\r') && idlePort=${idle#http://127.0.0.1:} && idlePort=${idlePort%%/*}
: "$(status "$idle")"
curl -s --data '[1,"Dialogs","GetColor","-",255]' "${idle%/tweaks/start.html}/-/call" >"$work/idle-colour" & colour=$!
${RUN_TOOL:-} "$poke" wait '#32770' >/dev/null
exec {quiet}<>"/dev/tcp/127.0.0.1/$idlePort"
check "--idle 1 closes a connection that sends nothing" timeout 20 cat <&"$quiet"
${RUN_TOOL:-} "$poke" dialog Color ok && wait $colour
check "but not one whose call waits in a dialog meanwhile" test "$(cat "$work/idle-colour")" = '{"value":"0000FF"}'
exec {quiet}<&-
kill $idleServer

# Browsers leave port 80 out of Host and Origin. Binding it needs the rights to, where those
# are missing the unit test of the host rule stands alone.
${RUN_TOOL:-} "$lvscript" --serve "$archive" --port 80 >"$work/url80" 2>&1 & at80=$!
for _ in $(seq 100); do [ -s "$work/url80" ] && break; sleep 0.1; done
url80=$(head -1 "$work/url80" | tr -d '\r')
if grep -q 'cannot listen at port 80' <<<"$url80"; then
  echo "skip port 80 cannot be bound here: $url80"
else
  served80() {
    [ "$(status "$url80")" = 200 ] && test "$(curl -s -H 'Origin: http://127.0.0.1' --data '[1,"","CheckVer","-",100]' \
      "${url80%/tweaks/start.html}/-/call")" = '{"value":true}'
  }
  check "--port 80 serves the address it prints, http://127.0.0.1/..., and calls from that Origin" served80
fi
kill $at80

check "the program holds none of it" test -z "$(grep -l 'window.external = external' "$program"
  i686-w64-mingw32-objdump -p "$program" | grep -i 'DLL Name: ws2_32')"

node "$here/pages/preview.mjs" "$url" ${RUN_TOOL:-} "$poke" dialog Color ok >"$work/page" 2>&1
check "a method's failure reaches the page as an Error with its message" \
  grep -qx 'failure: Error Failed to create key Software' "$work/page"
check "an undefined argument arrives as a script engine passes it, empty" grep -qx 'undefined: string' "$work/page"
check "a colour confirmed in the dialog reaches the page" grep -qx 'colour: 123456' "$work/page"
[ $failures -eq 0 ] || cat "$work/page" "$work/err"
[ $failures -eq 0 ]
