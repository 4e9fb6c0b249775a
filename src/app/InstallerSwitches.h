#pragma once

#include "app/CommandLine.h"

#include <string>
#include <vector>

// Runs what the installer asks of the program (see FindInstallerSwitch), "/close" and
// "/reopen" on the operands (see InstallerSwitchOperands; this program file when none is
// named), and gives the exit code: 0 when done, 1 when the running copy did not end (the user
// was asked to confirm Exit and has not) or a value could not be read, removed or put back;
// the failure is in the log.
int RunInstallerSwitch(TInstallerSwitch request, const std::vector<std::string>& operands);
