#!/usr/bin/env bash
# Builds the per-user Windows Installer package with Debian's wixl (msitools).
# Usage: make-msi.sh LumivantaManager.exe Ruroda.db ICON.ico VERSION OUT.msi
set -euo pipefail
program=$1 archive=$2 icon=$3 version=$4 out=$5
here=$(cd "$(dirname "$0")" && pwd)
# Never changes: every version of the package carries it, so that a newer one replaces an older one.
upgrade_code='{AB552B82-1D2A-4EAB-B1C3-00B3FC98E158}'
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# wixl takes its source files by names relative to the folder it runs in.
cp "$program" "$stage/LumivantaManager.exe"
cp "$archive" "$stage/Ruroda.db"
cp "$icon" "$stage/LumivantaManager.ico"
(cd "$stage" && wixl -D UpgradeCode="$upgrade_code" -D Version="$version" -D ProgramFile=LumivantaManager.exe -D ArchiveFile=Ruroda.db \
   -D IconFile=LumivantaManager.ico -o package.msi "$here/LumivantaManager.wxs")

# What wixl cannot say: the old version goes before the new one's files are written, so that
# its uninstall can end the running copy first; and the same version replaces itself instead
# of installing beside it (Windows Installer compares only three fields of a version).
msibuild "$stage/package.msi" \
  -q "UPDATE InstallExecuteSequence SET Sequence = 1510 WHERE Action = 'RemoveExistingProducts'" \
  -q "DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'" \
  -q "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty)
      VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')"
mv "$stage/package.msi" "$out"
