#!/usr/bin/env bash
# Takes a picture of the screen with the tray menu open, margin and all, for a person to look at.
# Not a test: nothing is compared. Needs a display (Xvfb), a Wine prefix and imagemagick's
# "import"; for instance:
#   xvfb-run -a -s "-screen 0 1024x768x24" scripts/with-wine-session.sh BIN/wine_keeper.exe \
#     tests/screenshots.sh BIN tray-menu.png
# where BIN holds LumivantaManager.exe, Ruroda.db and WindowPoke.exe. RUN_TOOL runs Windows
# programs (wine unless set).
set -euo pipefail
bin=$1 picture=$2
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
