#pragma once

// Runs JScript files, one after the other in one engine, as the script elements of one page run,
// with the named items a page's script sees: "external", the program's root script object, plus
// "host" for the runner itself (host.echo(text) writes a line, host.write(text) writes text as it
// is, host.args holds the command-line arguments as an array).

#include "script/ScriptEngine.h"

#include <string>
#include <vector>

// Stops at the first file that fails.
TScriptOutcome RunScriptFiles(const std::vector<std::string>& fileNames, const std::vector<std::string>& args);
