#!/usr/bin/env bash
# Runs the tweak engine and every tweak definition through lvscript against the registry of a
# throw-away Wine prefix; the checks change real Explorer settings, so any other prefix is refused.
# lvscript runs one file: the page scripts and the tests are joined first.
# Usage: engine.sh lvscript.exe PAGES_FOLDER VERSION (RUN_TOOL runs Windows programs)
set -euo pipefail
lvscript=$1 pages=$2 version=$3
case "$(basename "${WINEPREFIX:-}")" in
  lv-wine.*) ;;
  *) echo "FAIL refusing to run outside a throw-away prefix of scripts/with-wine-session.sh"; exit 1 ;;
esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat "$pages/tweaks/js/engine.js" "$pages"/tweaks/js/defs/*.js "$(dirname "$0")/EngineTests.js" >"$work/EngineTests.js"
${RUN_TOOL:-} "$lvscript" "$work/EngineTests.js" "$version" 2>&1 | tr -d '\r'
