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
#   a program, not as data; and its header's checksum is valid (msidbFileAttributesChecksum,
#   1024, beside vital, 512), which a repair relies on to find it damaged.
# - Every file and folder name is given as a short name and a long one (ICE03): a volume
#   without long names, or SHORTFILENAMES, takes the short one.
# - The same version replaces itself instead of installing beside it.
# - The old version is removed right after InstallInitialize, in the same transaction as the
#   install, so that a failed install brings it back; no action of ours comes between (ICE63).
# - The search for the installed program looks for the file itself, not only for its folder.
# - A rollback action that puts back what "/uninstall" removed, before that action (type 1362:
#   the installed program, rollback only, in the script, its exit code ignored).
# - The class registration is permanent (attributes: registry key path + permanent).
# - Removal also removes the exception log and the Programs folder it created in the profile,
#   when that is empty (ICE64).
# - The actions of the carried program (see the .wxs), type 2: a program from the Binary table,
#   run at once and waited for; 66 with its exit code ignored; 1602 as a commit action in the
#   script. "/close" and "/reopen" name the package's product code, since only the package that
#   closed the copy starts it again (Wine removes the version an upgrade replaces as a plain
#   removal, which runs that version's "/reopen" in the middle of the upgrade). Starting the closed copy again also ends an install, upgrade or removal that fails
#   (-3) or is cancelled (-2), in both sequences, since the one that ran shows its ending
#   actions (the UI sequence with a user interface, the execute sequence without).
queries=()
carried() { queries+=(-q "INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('$1', $2, 'CarriedProgram', '$3')"); }
sequenced() { queries+=(-q "INSERT INTO $1 (Action, Condition, Sequence) VALUES ('$2', '$3', $4)"); }
own_run='NOT UPGRADINGPRODUCTCODE'
carried CloseRunningCopy 2 '/close "[INSTALLEDPROGRAM]" [ProductCode]'
sequenced InstallExecuteSequence CloseRunningCopy "(WIX_UPGRADE_DETECTED OR REMOVE=\"ALL\") AND $own_run" 1390
carried DropRemovalBackup 1602 /dropbackup
sequenced InstallExecuteSequence DropRemovalBackup "REMOVE=\"ALL\" AND $own_run" 1505
carried ReopenClosedCopy 66 '/reopen "[#ProgramFile]" [ProductCode]'
sequenced InstallExecuteSequence ReopenClosedCopy 'NOT REMOVE' 6601
carried ReopenAfterRemoval 66 '/reopen "[INSTALLEDPROGRAM]" [ProductCode]'
sequenced InstallExecuteSequence ReopenAfterRemoval "REMOVE=\"ALL\" AND $own_run" 6602
carried ReopenAfterCancel 66 '/reopen "[INSTALLEDPROGRAM]" [ProductCode]'
carried ReopenAfterFailure 66 '/reopen "[INSTALLEDPROGRAM]" [ProductCode]'
for sequence in InstallExecuteSequence InstallUISequence; do
  sequenced $sequence ReopenAfterCancel "$own_run" -2
  sequenced $sequence ReopenAfterFailure "$own_run" -3
done

# The program's header checksum as a repair computes it (MapFileAndCheckSum): the 16-bit folded
# sum of the file's words, its own field counted as zero, plus the file's length.
perl -0777 -ne '
  my $field = unpack("V", substr($_, 0x3C, 4)) + 24 + 64;
  my $sum = 0;
  for my $word (unpack("v*", substr($_, 0, $field) . "\0\0\0\0" . substr($_, $field + 4) . "\0")) {
    $sum += $word; $sum = ($sum & 0xFFFF) + ($sum >> 16);
  }
  exit(($sum + length) == unpack("V", substr($_, $field, 4)) ? 0 : 1);' "$program" ||
  { echo "make-msi.sh: $program has no valid header checksum" >&2; exit 1; }

msibuild "$stage/package.msi" \
  -q "UPDATE File SET Version = '$file_version', Language = '$file_language', Attributes = 1536,
      FileName = 'LUMIVA~1.EXE|LumivantaManager.exe' WHERE File = 'ProgramFile'" \
  -q "UPDATE Directory SET DefaultDir = 'LUMIVA~1|Lumivanta Manager' WHERE Directory = 'INSTALLDIR'" \
  -q "UPDATE Shortcut SET Name = 'LUMIVA~1|Lumivanta Manager' WHERE Shortcut = 'StartMenuShortcut'" \
  -q "DELETE FROM MsiFileHash WHERE File_ = 'ProgramFile'" \
  -q "DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'" \
  -q "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty)
      VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')" \
  -q "UPDATE InstallExecuteSequence SET Sequence = 1501 WHERE Action = 'RemoveExistingProducts'" \
  -q "INSERT INTO Signature (Signature, FileName) VALUES ('InstalledProgram', 'LUMIVA~1.EXE|LumivantaManager.exe')" \
  -q "INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('RestoreUserTraces', 1362, 'ProgramFile', '/restore')" \
  -q "INSERT INTO InstallExecuteSequence (Action, Condition, Sequence)
      VALUES ('RestoreUserTraces', 'REMOVE=\"ALL\" AND NOT UPGRADINGPRODUCTCODE', 1502)" \
  -q "UPDATE Component SET Attributes = 20 WHERE Component = 'ClassRegistration'" \
  -q "INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode)
      VALUES ('RemoveExceptionLog', 'Program', 'debugger.log', 'INSTALLDIR', 2)" \
  -q "INSERT INTO RemoveFile (FileKey, Component_, DirProperty, InstallMode)
      VALUES ('RemoveProgramsFolder', 'Program', 'UserProgramsFolder', 2)" \
  "${queries[@]}"
mv "$stage/package.msi" "$out"
