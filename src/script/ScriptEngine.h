#pragma once

// One instance of the platform's script engine (JScript) with the named items a page's script
// sees: "external", the program's root script object, and "host", through which the script
// talks to whoever runs it (host.echo(text) a line for the user, host.write(text) a file's text,
// host.args the arguments of a script runner). The pages, the script runner and the program's
// own watching and command line all run the same definitions in it. The engine is apartment
// threaded: it is made, used and closed on one thread, whose apartment is initialised.

#include "Exception.h"

#include <activscp.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

struct TScriptOutcome {
    bool Succeeded = true;
    std::string Error; // "FILE(line): message" when a script failed, naming the file it failed in
};

// A script that raised an error, or an engine that refused one.
class EScriptError : public Exception {
public:
    explicit EScriptError(const std::string& message) : Exception(message) {}
};

// What host.echo and host.write do with the script's text.
struct THostOutput {
    std::function<void(const std::wstring&)> Echo;
    std::function<void(const std::wstring&)> Write;
};

class TScriptEngine {
public:
    TScriptEngine(IUnknown* external, THostOutput output);
    // Lets go of the engine's objects and closes it.
    ~TScriptEngine();
    TScriptEngine(const TScriptEngine&) = delete;
    TScriptEngine& operator=(const TScriptEngine&) = delete;

    // host.args becomes an array of these texts, made by the engine itself.
    void SetArgs(const std::vector<std::string>& args);
    // Runs a script's text at global level; name is what an error names.
    TScriptOutcome Run(const std::string& name, const std::wstring& source);
    // The value of an expression as text or as a whole number; EScriptError when it fails.
    std::wstring EvaluateText(const std::wstring& expression);
    int EvaluateNumber(const std::wstring& expression);

private:
    class TSite;
    class THost;
    Microsoft::WRL::ComPtr<TSite> FSite;
    Microsoft::WRL::ComPtr<THost> FHost;
    Microsoft::WRL::ComPtr<IActiveScript> FEngine;
    Microsoft::WRL::ComPtr<IActiveScriptParse32> FParser;

    VARIANT Evaluate(const std::wstring& expression);
};

// text as a JScript string literal, in double quotes, every character that could end or bend
// it escaped, so any text (a whole registry file) passes into an expression unchanged.
std::wstring ScriptStringLiteral(std::wstring_view text);
