#!/usr/bin/env bash
# Starts the program under Wine and, in the same prefix, serves its pages with lvscript --serve, so
# that the pages act on the registry the program uses. Wine has no HTML engine, so the program's own
# window stays blank: where there is a display, the pages open in Chromium as an app window beside
# it; without one, the program runs in a virtual display and the address is printed instead.
# Ctrl+C ends all of them. Usage: show-program.sh BIN_FOLDER [PROGRAM_ARGS...]
# (WINEPREFIX: the prefix to run in; every Wine process of it ends with this script)
set -euo pipefail
bin=$(cd "$1" && pwd)
shift
: "${WINEPREFIX:?the prefix to run in}"
export WINEPREFIX WINEDEBUG=-all

work=$(mktemp -d)
pids=()
end_all() {
  trap - EXIT INT TERM
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap end_all EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The pages the program serves: the archive beside it, or the folder named by /data=, relative to
# the program's folder and lower-cased as the program takes it.
source=$bin/Ruroda.db
for arg in "$@"; do
  case "${arg,,}" in
    /data=*) data=${arg:6}; source=$bin/${data,,}; source=${source//\\//} ;;
  esac
done

display_given=${DISPLAY:-}
if [ -z "$display_given" ]; then
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  pids+=($!)
  until [ -s "$work/display" ]; do sleep 0.1; done
  export DISPLAY=:$(cat "$work/display")
fi

wine "$bin/LumivantaManager.exe" "$@" </dev/null &
pids+=($!)
: >"$work/serve"
wine "$bin/lvscript.exe" --serve "$(winepath -w "$source")" </dev/null >"$work/serve" &
pids+=($!)
until url=$(head -n 1 "$work/serve" | tr -d '\r') && [ -n "$url" ]; do
  kill -0 "${pids[-1]}" 2>/dev/null || { echo "The page preview did not start." >&2; exit 1; }
  sleep 0.2
done

echo "The pages, live on the program's registry: $url"
if [ -z "$display_given" ]; then
  echo "Open them with: chromium --app='$url'   (Ctrl+C here ends the program and the preview)"
else
  # Chromium refuses to run as root with its sandbox.
  sandbox=()
  [ "$(id -u)" != 0 ] || sandbox=(--no-sandbox)
  chromium "${sandbox[@]}" --app="$url" --user-data-dir="$bin/../chromium-profile" --no-first-run \
    --no-default-browser-check --window-position=720,0 --window-size=700,560 >/dev/null 2>&1 &
  pids+=($!)
fi
wait -n "${pids[@]}" || true
