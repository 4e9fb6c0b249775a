#pragma once

// Runs JScript files, one after the other in one engine, as the script elements of one page run,
// with the named items a page's script sees: "external", the program's root script object, plus
// "host" for the runner itself (host.echo(text) writes a line, host.args holds the command-line
// arguments as an array).

#include <string>
#include <vector>

struct TScriptOutcome {
    bool Succeeded = true;
    std::string Error; // "FILE(line): message" when a script failed, naming the file it failed in
};

// Stops at the first file that fails.
TScriptOutcome RunScriptFiles(const std::vector<std::string>& fileNames, const std::vector<std::string>& args);
