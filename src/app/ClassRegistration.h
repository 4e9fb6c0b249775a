#pragma once

#include "app/CommandLine.h"

class TRemovalBackup;

// The scheme handler's class as COM finds its server: "CLSID\{...}" with an empty default value
// and the subkey "LocalServer32" whose default value is this program file's command.

// Writes it under HKEY_CLASSES_ROOT; false when a key or value cannot be written.
bool WriteClassRegistration();

// Removes it from the user's own classes and from HKEY_CLASSES_ROOT, each only while its server
// is this program file: another copy that has registered itself since keeps its registration.
// What goes is kept in backup first, when one is given. Fails with Exception when a registration
// of this program file cannot be removed.
void RemoveClassRegistration(TRemovalBackup* backup);

// "REGSERVER" and "UNREGSERVER": 0 when done, 1 (with the failure in the log) when not.
int RunComSwitch(TComSwitch request);
