#!/usr/bin/env bash
# Folders packed on Linux are found by the Windows reader, whose folder bisection uses the
# platform's collation: the packer's own order must agree with it on every name it accepts.
set -uo pipefail
host_tool=$1
windows_tool=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

names=(a A1 a_b 'a b' a.b 'a(b)' 'a!' 'a#' 'a$' 'a%' 'a&' 'a,b' 'a;b' 'a@' 'a[x]' 'a^' 'a`' 'a{x}' 'a~' 'a+' 'a=b'
       ab a0 a9 Z z_ '_x' '.x' '!x' '~x' '+x' '=x' 1 10 2 x1 x10 x1_ 'x 1' 'x.1' b B2)
for outer in "${names[@]}"; do
  mkdir -p "tree/$outer"
  printf '%s' "$outer" > "tree/$outer/page.html"
  for inner in a_b '1' 'a b' ab '~'; do
    mkdir -p "tree/$outer/$inner"
    printf '%s/%s' "$outer" "$inner" > "tree/$outer/$inner/Page.HTML"
  done
done

"$host_tool" pack tree tree.db || exit 1
failures=0
$RUN_TOOL "$windows_tool" verify tree.db || failures=$((failures + 1))
for outer in "${names[@]}"; do
  for inner in a_b 'a b' '~'; do
    got=$($RUN_TOOL "$windows_tool" cat tree.db "${outer^^}\\${inner^^}\\page.html")
    if [ "$got" != "$outer/$inner" ]; then
      echo "FAIL ${outer}\\${inner}\\page.html gave '$got'"
      failures=$((failures + 1))
    fi
  done
done
echo "$failures failed"
[ "$failures" -eq 0 ]
