#!/usr/bin/env bash
# Builds the per-user Windows Installer package with Debian's wixl (msitools), then adds with
# msibuild what wixl's subset of WiX cannot say.
# Usage: make-msi.sh LumivantaManager.exe Ruroda.db ICON.ico VERSION OUT.msi
set -euo pipefail
program=$1 archive=$2 icon=$3 version=$4 out=$5
here=$(cd "$(dirname "$0")" && pwd)
# Never changes: every version of the package carries it, so that a newer one replaces an older one.
upgrade_code='{AB552B82-1D2A-4EAB-B1C3-00B3FC98E158}'
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# The File table's Version and Language must be those of the program's version resource:
# the fixed file information's file version, and the language of its translation.
read -r file_version file_language < <(wrestool -x --raw -t16 "$program" | perl -0777 -ne '
  my $fixed = index($_, pack("V", 0xFEEF04BD));
  my $translation = index($_, join("\0", split(//, "Translation")) . "\0\0\0");
  die "no version resource\n" if $fixed < 0 || $translation < 0;
  my ($ms, $ls) = unpack("V2", substr($_, $fixed + 8, 8));
  my $language = unpack("v", substr($_, ($translation + 24 + 3) & ~3, 2));
  printf "%d.%d.%d.%d %d\n", $ms >> 16, $ms & 0xFFFF, $ls >> 16, $ls & 0xFFFF, $language;')

# wixl takes its source files by names relative to the folder it runs in.
cp "$program" "$stage/LumivantaManager.exe"
cp "$archive" "$stage/Ruroda.db"
cp "$icon" "$stage/LumivantaManager.ico"
(cd "$stage" && wixl -D UpgradeCode="$upgrade_code" -D Version="$version" -D ProgramFile=LumivantaManager.exe -D ArchiveFile=Ruroda.db \
   -D IconFile=LumivantaManager.ico -o package.msi "$here/LumivantaManager.wxs")

# What wixl cannot say:
# - The program file is versioned: its version and language, and no hash (which Windows
#   Installer uses for unversioned files only), so that the file-replacement rules treat it as
#   a program, not as data.
# - The same version replaces itself instead of installing beside it.
# - The old version is removed right after InstallInitialize, in the same transaction as the
#   install, so that a failed install brings it back; no action of ours comes between (ICE63).
# - The search for the installed program looks for the file itself, not only for its folder.
# - A rollback action that puts back what "/uninstall" removed, before that action (type 1362:
#   the installed program, rollback only, in the script, its exit code ignored), and a commit
#   action that drops the copy it kept once the removal has succeeded (type 1634: a program
#   in a folder, commit only, in the script, ignored; the program itself is gone by then).
# - The class registration is permanent (attributes: registry key path + permanent).
# - Removal also removes the exception log and the Programs folder it created in the profile,
#   when that is empty (ICE64).
msibuild "$stage/package.msi" \
  -q "UPDATE File SET Version = '$file_version', Language = '$file_language' WHERE File = 'ProgramFile'" \
  -q "DELETE FROM MsiFileHash WHERE File_ = 'ProgramFile'" \
  -q "DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'" \
  -q "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty)
      VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')" \
  -q "UPDATE InstallExecuteSequence SET Sequence = 1501 WHERE Action = 'RemoveExistingProducts'" \
  -q "INSERT INTO Signature (Signature, FileName) VALUES ('InstalledProgram', 'LumivantaManager.exe')" \
  -q "INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('RestoreUserTraces', 1362, 'ProgramFile', '/restore')" \
  -q "INSERT INTO InstallExecuteSequence (Action, Condition, Sequence)
      VALUES ('RestoreUserTraces', 'REMOVE=\"ALL\" AND NOT UPGRADINGPRODUCTCODE', 1502)" \
  -q "UPDATE Component SET Attributes = 20 WHERE Component = 'ClassRegistration'" \
  -q "INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode)
      VALUES ('RemoveExceptionLog', 'Program', 'debugger.log', 'INSTALLDIR', 2)" \
  -q "INSERT INTO RemoveFile (FileKey, Component_, DirProperty, InstallMode)
      VALUES ('RemoveProgramsFolder', 'Program', 'UserProgramsFolder', 2)" \
  -q "INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('DropRemovalBackup', 1634, 'SystemFolder',
      '\"[SystemFolder]reg.exe\" delete \"HKCU\\SOFTWARE\\Lumivanta Manager Removal\" /f')" \
  -q "INSERT INTO InstallExecuteSequence (Action, Condition, Sequence)
      VALUES ('DropRemovalBackup', 'REMOVE=\"ALL\" AND NOT UPGRADINGPRODUCTCODE', 1505)"
mv "$stage/package.msi" "$out"
