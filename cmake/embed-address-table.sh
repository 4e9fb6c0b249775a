#!/usr/bin/env bash
# embed-address-table.sh PROGRAM ADDRTABLE NM OBJDUMP OBJCOPY
# Replaces the linked program's DWARF and symbols by its compact address table, in the section ".lvdbg"
# placed after its last loaded section, where the program finds it at run time.
set -euo pipefail
program=$1 addrtable=$2 nm=$3 objdump=$4 objcopy=$5
work=$(mktemp -d "${program}.table.XXXXXX")
trap 'rm -rf "$work"' EXIT

"$nm" -C -n --defined-only "$program" >"$work/symbols"
"$objdump" --dwarf=decodedline "$program" >"$work/lines"
"$objdump" -h -p "$program" >"$work/headers"
address=$("$addrtable" "$work/symbols" "$work/lines" "$work/headers" "$work/table")
"$objcopy" --strip-all \
  --add-section .lvdbg="$work/table" \
  --set-section-flags .lvdbg=contents,alloc,load,readonly,data \
  --change-section-address .lvdbg="$address" \
  "$program" "$work/program"
mv "$work/program" "$program"
