#pragma once

#include <windows.h>

#include <string>

// What the program's part in a removal takes out of the registry, kept until the removal is
// over, so that a removal that fails can put it back: Windows Installer runs "/restore" while it
// rolls the removal back, and removes the copy when the removal succeeds. The copy is volatile,
// so a removal run by hand leaves nothing behind beyond the logon session.
class TRemovalBackup {
public:
    // Starts a new copy: one left from an earlier removal is dropped.
    TRemovalBackup();
    TRemovalBackup(const TRemovalBackup&) = delete;
    TRemovalBackup& operator=(const TRemovalBackup&) = delete;

    // root is HKEY_CURRENT_USER or HKEY_CLASSES_ROOT. Nothing is kept when there is no such
    // value or key; a copy that cannot be made fails with ERegistryException.
    void KeepValue(HKEY root, const std::string& key, const std::string& name);
    void KeepTree(HKEY root, const std::string& key);
};

// Writes every kept value and key back where it was taken from, then drops the copy.
void RestoreRemovedValues();
// Drops the copy once the removal has succeeded.
void DropRemovalBackup();

// Where the copy lies, under HKEY_CURRENT_USER.
inline constexpr char RemovalBackupKey[] = "SOFTWARE\\Lumivanta Manager Removal";
