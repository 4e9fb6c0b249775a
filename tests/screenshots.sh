#!/usr/bin/env bash
# Takes pictures for a person to look at, at 96, 144 and 192 DPI (100, 150 and 200 %): the tray
# menu open, margin and all, and the string list editor over three entries, opened over the
# shown main window. Not a test: nothing is compared. Needs a display (Xvfb), a Wine prefix and
# imagemagick's "import"; for instance:
#   xvfb-run -a -s "-screen 0 1024x768x24" scripts/with-wine-session.sh BIN/wine_keeper.exe \
#     tests/screenshots.sh BIN OUT_FOLDER
# where BIN holds LumivantaManager.exe, Ruroda.db, lvscript.exe and WindowPoke.exe. RUN_TOOL runs Windows
# programs (wine unless set).
set -euo pipefail
bin=$1 out=$2
here=$(cd "$(dirname "$0")" && pwd)
export RUN_TOOL=${RUN_TOOL:-wine}
run=$RUN_TOOL

for dpi in 96 144 192; do
  bash "$here/at-dpi.sh" "$dpi" "$bin/LumivantaManager.exe" -hidden & program=$!
  $run "$bin/WindowPoke.exe" wait TMainForm
  $run "$bin/WindowPoke.exe" tray-menu
  $run "$bin/WindowPoke.exe" wait '#32768'
  # The menu draws its items after it appears.
  sleep 1
  import -window root "$out/tray-menu-$dpi.png"
  $run "$bin/WindowPoke.exe" close-menu
  $run "$bin/WindowPoke.exe" end-session
  wait $program
  echo "$out/tray-menu-$dpi.png"

  bash "$here/at-dpi.sh" "$dpi" "$bin/lvscript.exe" --windows "$here/scripts/EditorScreenshot.js" & script=$!
  $run "$bin/WindowPoke.exe" shown TFormStrListDialog1
  sleep 3
  import -window root "$out/editor-$dpi.png"
  $run "$bin/WindowPoke.exe" close TFormStrListDialog1
  wait $script
  echo "$out/editor-$dpi.png"
done
