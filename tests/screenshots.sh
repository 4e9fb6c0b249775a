#!/usr/bin/env bash
# Takes two pictures for a person to look at: the tray menu open, margin and all, and the string
# list editor over three entries, opened over the shown main window.
# Not a test: nothing is compared. Needs a display (Xvfb), a Wine prefix and imagemagick's
# "import"; for instance:
#   xvfb-run -a -s "-screen 0 1024x768x24" scripts/with-wine-session.sh BIN/wine_keeper.exe \
#     tests/screenshots.sh BIN OUT_FOLDER
# where BIN holds LumivantaManager.exe, Ruroda.db, lvscript.exe and WindowPoke.exe. RUN_TOOL runs Windows
# programs (wine unless set).
set -euo pipefail
bin=$1 out=$2
here=$(cd "$(dirname "$0")" && pwd)
picture=$out/tray-menu.png
run=${RUN_TOOL:-wine}

$run "$bin/LumivantaManager.exe" -hidden & program=$!
$run "$bin/WindowPoke.exe" wait TMainForm
$run "$bin/WindowPoke.exe" tray-menu
$run "$bin/WindowPoke.exe" wait '#32768'
# The menu draws its items after it appears.
sleep 1
import -window root "$picture"
$run "$bin/WindowPoke.exe" close-menu
$run "$bin/WindowPoke.exe" end-session
wait $program
echo "$picture"

$run "$bin/lvscript.exe" --windows "$here/scripts/EditorScreenshot.js" & script=$!
$run "$bin/WindowPoke.exe" shown TFormStrListDialog1
sleep 3
import -window root "$out/editor.png"
$run "$bin/WindowPoke.exe" close TFormStrListDialog1
wait $script
echo "$out/editor.png"
