#pragma once

// The program's own script host: the engine the pages use, without the browser, running the
// scripts that the archive's list names (the engine's files, the definitions, and last the
// program's part, which defines ProgramHost). The tray copy's watching and the command-line forms
// ask ProgramHost what to watch, whether the kept settings hold, and to apply, export or check.

#ifdef _WIN32
#include "script/ScriptEngine.h"
#endif

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TFileManager;

// The archive's list of the scripts, one entry path a line, with forward slashes.
inline constexpr char HostScriptList[] = "tweaks\\js\\host.txt";

// The entry paths of the list's lines, with backslashes as the archive names them; blank lines
// are left out.
std::vector<std::string> HostScriptPaths(std::string_view list);

struct TScriptSource {
    std::string Name;
    std::wstring Text;
};

// The list's scripts from the content manager; a missing list or script fails with a message
// that names it.
std::vector<TScriptSource> LoadHostScripts(TFileManager& content);

// The reasons the program gives ProgramHost.check.
inline constexpr wchar_t CheckAtStart[] = L"start";
inline constexpr wchar_t CheckAfterResume[] = L"resume";
inline constexpr wchar_t CheckAfterKeyChange[] = L"registry";
inline constexpr wchar_t CheckAfterSettingChange[] = L"setting";

#ifdef _WIN32
// One engine with the scripts run in it, on the thread that makes it. Its root object shows no
// dialogs. Every call fails with EScriptError when the script does.
class TProgramHost {
public:
    TProgramHost(const std::vector<TScriptSource>& sources, THostOutput output);
    ~TProgramHost();
    TProgramHost(const TProgramHost&) = delete;
    TProgramHost& operator=(const TProgramHost&) = delete;

    // "ROOT\tKEY" lines, one a key to watch.
    std::wstring WatchedKeys();
    // The notification to show, or nothing.
    std::wstring Check(const wchar_t* reason);
    // name: "apply" (text: the registry file's), "export" or "check"; gives the exit code.
    int Command(const wchar_t* name, const std::wstring& text);

private:
    std::unique_ptr<TScriptEngine> FEngine;
};
#endif

struct TWatchedKey {
    std::string Root; // "HKCU" or "HKLM"
    std::wstring Path;
};
// The lines of WatchedKeys; a line without a tab or with another root is left out.
std::vector<TWatchedKey> ParseWatchedKeys(std::wstring_view lines);
