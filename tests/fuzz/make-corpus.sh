#!/usr/bin/env bash
# Writes seed archives for archive_fuzz into OUTDIR: small page trees packed by rurodatool,
# deflated and stored, and one archive put together by hand.
set -euo pipefail
export LC_ALL=C

usage() {
  echo "usage: $0 OUTDIR RURODATOOL" >&2
  exit 2
}

make_flat_tree() {
  local dir=$1 i
  mkdir -p "$dir"
  for i in $(seq 1 20); do
    echo "<p>Tweak $i: <a href=\"page$i.htm\">details</a></p>"
  done >"$dir/index.htm"
  printf 'x' >"$dir/tiny.txt"
}

make_nested_tree() {
  local dir=$1 i
  mkdir -p "$dir/Tweaks/Sub Dir" "$dir/images" "$dir/a(1)"
  echo '<html><body>Start</body></html>' >"$dir/Index.HTM"
  for i in $(seq 1 8); do
    echo "body { margin: ${i}px; }"
  done >"$dir/Tweaks/Style.css"
  echo 'nested' >"$dir/Tweaks/Sub Dir/deep.htm"
  printf '\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR' >"$dir/images/logo.png"
  echo 'odd folder' >"$dir/a(1)/b.txt"
}

# Enough folders that key prefixes reach letters, and directory blocks worth deflating.
make_wide_tree() {
  local dir=$1 i
  for i in $(seq -w 1 40); do
    mkdir -p "$dir/page$i"
    echo "<p>$i</p>" >"$dir/page$i/index.htm"
  done
}

# One page that inflates to far more than its block's size.
make_repetitive_tree() {
  local dir=$1
  mkdir -p "$dir"
  printf '<tr><td>same row</td></tr>\n%.0s' $(seq 1 4000) >"$dir/table.htm"
}

# value, width: the value's low bytes, least significant first.
little_endian() {
  local value=$1 width=$2 i
  for ((i = 0; i < width; i++)); do
    printf '%b' "\\x$(printf %02x $(((value >> (8 * i)) & 255)))"
  done
}

stored_block() {
  little_endian "${#1}" 4
  little_endian 0 2
  printf %s "$1"
}

# Folder lines in upper case: the reader matches folders whatever their letter case, while the
# key lines stay lower case as rurodatool writes them. "  ", " !" and ' "' are the key prefixes
# of folders 0, 1 and 2.
write_upper_case_archive() {
  local out=$1
  local folders=$'\r\nDOCS\r\nDOCS\\SUB\r\n'
  local keys=$'  index.htm\r\n !a.htm\r\n "b.htm\r\n'
  local contents=('<p>root</p>' '<p>docs</p>' '<p>sub</p>')
  local offset=$((8 + 6 + ${#folders} + 2 * 3 + 6 + ${#keys} + 4 * ${#contents[@]}))
  {
    printf LVWK
    little_endian 1 4
    stored_block "$folders"
    little_endian 0 2
    little_endian 1 2
    little_endian 2 2
    stored_block "$keys"
    local content
    for content in "${contents[@]}"; do
      little_endian "$offset" 4
      offset=$((offset + 6 + ${#content}))
    done
    for content in "${contents[@]}"; do
      stored_block "$content"
    done
  } >"$out"
}

main() {
  [[ $# -eq 2 ]] || usage
  local outdir=$1 tool=$2
  mkdir -p "$outdir"
  # Global: the EXIT trap runs after main has returned.
  trees=$(mktemp -d)
  trap 'rm -rf "$trees"' EXIT
  make_flat_tree "$trees/flat"
  make_nested_tree "$trees/nested"
  make_wide_tree "$trees/wide"
  make_repetitive_tree "$trees/repetitive"
  local tree
  for tree in flat nested wide; do
    "$tool" pack "$trees/$tree" "$outdir/$tree-deflate.dat"
    "$tool" pack --store "$trees/$tree" "$outdir/$tree-stored.dat"
  done
  # Deflated only: stored, it would be a 108 KB seed, far beyond the fuzzer's inputs.
  "$tool" pack "$trees/repetitive" "$outdir/repetitive-deflate.dat"
  write_upper_case_archive "$outdir/upper-case-folders.dat"
}

main "$@"
