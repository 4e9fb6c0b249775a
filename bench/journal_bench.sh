#!/usr/bin/env bash
# Runs JournalBench.js in lvscript over the tweak engine of PAGES_FOLDER (default: the project's
# pages), in the Wine prefix that WINEPREFIX names, with a display (lvscript makes windows).
# Usage: journal_bench.sh LVSCRIPT_EXE [PAGES_FOLDER]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
pages=${2:-$here/../pages}
engine=()
for part in engine/values engine/access engine/system engine/keep engine/journal engine; do
  engine+=(--include "$pages/tweaks/js/$part.js")
done
wine "$1" "${engine[@]}" "$here/JournalBench.js" 2>&1 | tr -d '\r'
