#include "app/ProgramHost.h"

#include "dialogs/TextFile.h"
#include "script/MorvaneAutoObj_Impl.h"
#include "store/FileManager.h"

using Microsoft::WRL::ComPtr;

namespace {

std::string EntryText(TFileManager& content, const std::string& path)
{
    TMemoryStream buffer;
    content.GetContent(path, buffer);
    if (buffer.Size() == 0)
        throw Exception("The pages have no " + path);
    return buffer.AsString();
}

std::wstring ProgramHostCall(const wchar_t* method, std::initializer_list<std::wstring_view> args)
{
    std::wstring call = std::wstring(L"ProgramHost.") + method + L"(";
    for (const std::wstring_view arg : args) {
        if (call.back() != L'(')
            call += L',';
        call += ScriptStringLiteral(arg);
    }
    return call + L")";
}

}

std::vector<TScriptSource> LoadHostScripts(TFileManager& content)
{
    std::vector<TScriptSource> sources;
    for (const std::string& path : HostScriptPaths(EntryText(content, HostScriptList))) {
        std::optional<std::wstring> text = DecodeText(EntryText(content, path));
        if (!text)
            throw Exception("The script " + path + " is not text");
        sources.push_back({path, std::move(*text)});
    }
    return sources;
}

TProgramHost::TProgramHost(const std::vector<TScriptSource>& sources, THostOutput output)
{
    const ComPtr<ITweakExternal> external = new TTweakExternal(TTweakExternal::TDialogs::None);
    FEngine = std::make_unique<TScriptEngine>(external.Get(), std::move(output));
    for (const TScriptSource& source : sources) {
        const TScriptOutcome outcome = FEngine->Run(source.Name, source.Text);
        if (!outcome.Succeeded)
            throw EScriptError(outcome.Error);
    }
}

TProgramHost::~TProgramHost() = default;

std::wstring TProgramHost::WatchedKeys()
{
    return FEngine->EvaluateText(ProgramHostCall(L"watchedKeys", {}));
}

std::wstring TProgramHost::Check(const wchar_t* reason)
{
    return FEngine->EvaluateText(ProgramHostCall(L"check", {reason}));
}

int TProgramHost::Command(const wchar_t* name, const std::wstring& text)
{
    return FEngine->EvaluateNumber(ProgramHostCall(L"command", {name, text}));
}
