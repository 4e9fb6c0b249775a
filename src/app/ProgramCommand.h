#pragma once

#include <optional>
#include <string>
#include <vector>

// Runs "/apply FILE.reg", "/export FILE.reg" or "/check" (with "/log FILE" if given) through the
// program's own script host, with no window, tray icon or message box, and gives the exit code;
// nothing when the command line is none of these. Every line for the user goes to the console
// the program was started from and, dated, to the log.
std::optional<int> RunProgramCommand(const std::vector<std::string>& args);

// "/elevated PIPE NONCE": this program started as administrator by a copy of its user's, which
// hands it through the pipe the changes that need an administrator (see ElevatedChannel). They
// are made through the program's own script host from the definitions of the archive beside
// this file, for the user who asked; each line of what happened goes back to the asking copy.
// Gives the exit code, 3 for a request refused whole; nothing when the command line is not this.
std::optional<int> RunElevatedChanges(const std::vector<std::string>& args);
