#pragma once

#include <optional>
#include <string>
#include <vector>

// Runs "/apply FILE.reg", "/export FILE.reg" or "/check" (with "/log FILE" if given) through the
// program's own script host, with no window, tray icon or message box, and gives the exit code;
// nothing when the command line is none of these. Every line for the user goes to the console
// the program was started from and, dated, to the log.
std::optional<int> RunProgramCommand(const std::vector<std::string>& args);
