#!/usr/bin/env bash
# The checks of the pages packed into Ruroda.db: lint of every page script, the style sheets
# against what the browser control supports, the archive itself, every reference inside it,
# and every page rendered in headless Chromium with screenshots for people to look at; with
# LVSCRIPT, through `lvscript --serve` over the registry of the Wine prefix the caller set up.
# Usage: check-pages.sh RURODATOOL ARCHIVE SHOTS_FOLDER [LVSCRIPT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool=$(realpath "$1") archive=$(realpath "$2") shots=$3 lvscript=${4:+$(realpath "$4")}
cd "$root"

# The npm packages are installed again only when the lock file has changed.
stamp=$here/node_modules/.installed-lock-sha256
sum=$(sha256sum "$here/package-lock.json" | cut -d' ' -f1)
if [[ ! -f $stamp || $(cat "$stamp") != "$sum" ]]; then
  (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
  echo "$sum" >"$stamp"
fi

bin=$here/node_modules/.bin
timed() {
  local name=$1 start=$SECONDS
  shift
  "$@"
  echo "-- $name: passed in $((SECONDS - start)) s"
}
timed "script lint" "$bin/eslint" --config "$here/eslint.config.mjs" pages "$here/external-double.js" \
  "$here/WineDiffers.js"
timed "style check" "$bin/stylelint" --config "$here/stylelint.config.mjs" "pages/**/*.css"
timed "archive" "$tool" verify "$archive"
timed "references" node "$here/links.mjs" "$tool" "$archive"
timed "rendering" node "$here/render.mjs" "$tool" "$archive" "$shots" ${lvscript:+"$lvscript"}
