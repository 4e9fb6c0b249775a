#pragma once

// Runs a JScript file in the platform's script engine with the named items a page's script
// sees: "external", the program's root script object, plus "host" for the runner itself
// (host.echo(text) writes a line, host.args holds the command-line arguments as an array).

#include <string>
#include <vector>

struct TScriptOutcome {
    bool Succeeded = true;
    std::string Error; // "FILE(line): message" when the script failed
};

TScriptOutcome RunScriptFile(const std::string& fileName, const std::vector<std::string>& args);
