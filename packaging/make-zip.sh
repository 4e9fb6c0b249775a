#!/usr/bin/env bash
# Builds the portable zip: the program and Ruroda.db side by side, with the read-me and the
# licence as Windows text files.
# Usage: make-zip.sh LumivantaManager.exe Ruroda.db ReadMe.txt License.txt OUT.zip
set -euo pipefail
program=$1 archive=$2 readme=$3 license=$4 out=$5
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$program" "$stage/LumivantaManager.exe"
cp "$archive" "$stage/Ruroda.db"
cp "$readme" "$stage/ReadMe.txt"
cp "$license" "$stage/License.txt"
rm -f "$out"
(cd "$stage" && zip -q -X "$out.part" LumivantaManager.exe Ruroda.db && zip -q -X -l "$out.part" ReadMe.txt License.txt)
mv "$out.part" "$out"
