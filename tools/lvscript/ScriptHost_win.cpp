#include "ScriptHost.h"

#include "script/MorvaneAutoObj_Impl.h"
#include "script/OleText.h"
#include "script/ScriptEngine.h"
#include "store/FileStream.h"

#include <windows.h>
#include <wrl/client.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using Microsoft::WRL::ComPtr;

namespace {

std::string ReadScript(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw Exception("cannot read " + fileName);
    std::ostringstream text;
    text << in.rdbuf();
    return std::move(text).str();
}

void PrintAnsi(const std::wstring& text, const char* end)
{
    std::printf("%s%s", AnsiFromWide(text).c_str(), end);
    std::fflush(stdout);
}

}

TScriptOutcome RunScriptFiles(const std::vector<std::string>& fileNames, const std::vector<std::string>& args)
{
    std::vector<std::wstring> sources;
    for (const std::string& fileName : fileNames)
        sources.push_back(WideFromAnsi(ReadScript(fileName)));
    const ComPtr<ITweakExternal> external = new TTweakExternal;
    TScriptEngine engine(external.Get(), {[](const std::wstring& line) { PrintAnsi(line, "\n"); },
                                          [](const std::wstring& text) { PrintAnsi(text, ""); }});
    engine.SetArgs(args);
    TScriptOutcome outcome;
    for (std::size_t i = 0; i < sources.size() && outcome.Succeeded; ++i)
        outcome = engine.Run(fileNames[i], sources[i]);
    return outcome;
}
