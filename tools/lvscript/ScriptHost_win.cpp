#include "ScriptHost.h"

#include "UntypedDispatch.h"
#include "Exception.h"
#include "script/MorvaneAutoObj_Impl.h"
#include "script/OleText.h"
#include "store/FileStream.h"

#include <activscp.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using Microsoft::WRL::ComPtr;

namespace {

// {F414C260-6AC0-11CF-B6D1-00AA00BBBB58}
constexpr CLSID CLSID_JScript = {0xF414C260, 0x6AC0, 0x11CF, {0xB6, 0xD1, 0x00, 0xAA, 0x00, 0xBB, 0xBB, 0x58}};

class THostObject final : public TComObject<TUntypedDispatch> {
public:
    explicit THostObject(VARIANT args) : FArgs(args) {}
    ~THostObject() override { ::VariantClear(&FArgs); }

    // host.args is the engine's own array: it must go before the engine closes, or under Wine
    // it keeps the engine's whole heap (about 2 MiB) alive after the run.
    void ReleaseArgs() { ::VariantClear(&FArgs); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid != IID_IUnknown && iid != IID_IDispatch) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        HRESULT result = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = i == 0 && ::_wcsicmp(names[i], L"echo") == 0   ? EchoId
                     : i == 0 && ::_wcsicmp(names[i], L"args") == 0 ? ArgsId
                                                                     : DISPID_UNKNOWN;
            if (ids[i] == DISPID_UNKNOWN)
                result = DISP_E_UNKNOWNNAME;
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                     UINT*) override
    {
        if (id == ArgsId)
            return result ? ::VariantCopy(result, &FArgs) : S_OK;
        if (id != EchoId)
            return DISP_E_MEMBERNOTFOUND;
        if (params->cArgs != 1)
            return DISP_E_BADPARAMCOUNT;
        VARIANT text;
        ::VariantInit(&text);
        const HRESULT converted = ::VariantChangeType(&text, &params->rgvarg[0], 0, VT_BSTR);
        if (FAILED(converted))
            return converted;
        std::printf("%s\n", AnsiFromBstr(V_BSTR(&text)).c_str());
        std::fflush(stdout);
        ::VariantClear(&text);
        return S_OK;
    }

private:
    static constexpr DISPID EchoId = 1;
    static constexpr DISPID ArgsId = 2;
    VARIANT FArgs;
};

class TScriptSite final : public TComObject<IActiveScriptSite> {
public:
    // Each file is parsed with its index in fileNames as its source context.
    TScriptSite(std::vector<std::string> fileNames, IUnknown* external)
        : FFileNames(std::move(fileNames)), FExternal(external)
    {
    }

    void SetHost(IUnknown* host) { FHost = host; }
    const TScriptOutcome& Outcome() const { return FOutcome; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid != IID_IUnknown && iid != IID_IActiveScriptSite) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IActiveScriptSite*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        if (!(mask & SCRIPTINFO_IUNKNOWN))
            return mask & SCRIPTINFO_ITYPEINFO ? TYPE_E_ELEMENTNOTFOUND : E_INVALIDARG;
        IUnknown* found = ::_wcsicmp(name, L"external") == 0 ? FExternal.Get()
                          : ::_wcsicmp(name, L"host") == 0   ? FHost.Get()
                                                             : nullptr;
        *item = found;
        if (!found)
            return TYPE_E_ELEMENTNOTFOUND;
        found->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override
    {
        EXCEPINFO exception{};
        error->GetExceptionInfo(&exception);
        if (exception.pfnDeferredFillIn)
            exception.pfnDeferredFillIn(&exception);
        DWORD context = 0;
        ULONG line = 0;
        LONG column = 0;
        error->GetSourcePosition(&context, &line, &column);
        FOutcome.Succeeded = false;
        const std::string& fileName = context < FFileNames.size() ? FFileNames[context] : FFileNames.back();
        FOutcome.Error = fileName + "(" + std::to_string(line + 1) + "): " + AnsiFromBstr(exception.bstrDescription);
        ::SysFreeString(exception.bstrSource);
        ::SysFreeString(exception.bstrDescription);
        ::SysFreeString(exception.bstrHelpFile);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

private:
    std::vector<std::string> FFileNames;
    ComPtr<IUnknown> FExternal;
    ComPtr<IUnknown> FHost;
    TScriptOutcome FOutcome;
};

std::string ReadScript(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw Exception("cannot read " + fileName);
    std::ostringstream text;
    text << in.rdbuf();
    return std::move(text).str();
}

// Closes the engine however the run ends, after the host has let go of the engine's objects.
class TEngineClosing {
public:
    explicit TEngineClosing(IActiveScript* engine) : FEngine(engine) {}
    ~TEngineClosing()
    {
        if (FHost)
            FHost->ReleaseArgs();
        FEngine->Close();
    }
    TEngineClosing(const TEngineClosing&) = delete;
    TEngineClosing& operator=(const TEngineClosing&) = delete;

    void SetHost(THostObject* host) { FHost = host; }

private:
    ComPtr<IActiveScript> FEngine;
    ComPtr<THostObject> FHost;
};

// The arguments as a JScript array literal, evaluated by the engine itself.
std::wstring ArrayLiteral(const std::vector<std::string>& args)
{
    std::wstring literal = L"[";
    for (const std::string& arg : args) {
        if (literal.size() > 1)
            literal += L',';
        literal += L'"';
        for (wchar_t c : WideFromAnsi(arg)) {
            if (c == L'"' || c == L'\\')
                literal += L'\\';
            literal += c;
        }
        literal += L'"';
    }
    return literal + L"]";
}

}

TScriptOutcome RunScriptFiles(const std::vector<std::string>& fileNames, const std::vector<std::string>& args)
{
    std::vector<std::wstring> sources;
    for (const std::string& fileName : fileNames)
        sources.push_back(WideFromAnsi(ReadScript(fileName)));
    ComPtr<ITweakExternal> external = new TTweakExternal;
    const ComPtr<TScriptSite> site = new TScriptSite(fileNames, external.Get());

    ComPtr<IActiveScript> engine;
    OleCheck(::CoCreateInstance(CLSID_JScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                reinterpret_cast<void**>(engine.GetAddressOf())));
    TEngineClosing closing(engine.Get());
    ComPtr<IActiveScriptParse32> parser;
    OleCheck(engine.As(&parser));
    OleCheck(parser->InitNew());
    OleCheck(engine->SetScriptSite(site.Get()));
    OleCheck(engine->AddNamedItem(L"external", SCRIPTITEM_ISVISIBLE));
    OleCheck(engine->SetScriptState(SCRIPTSTATE_STARTED));

    VARIANT argArray;
    ::VariantInit(&argArray);
    OleCheck(parser->ParseScriptText(ArrayLiteral(args).c_str(), nullptr, nullptr, nullptr, 0, 0,
                                     SCRIPTTEXT_ISEXPRESSION, &argArray, nullptr));
    const ComPtr<THostObject> host = new THostObject(argArray);
    closing.SetHost(host.Get());
    site->SetHost(host.Get());
    OleCheck(engine->AddNamedItem(L"host", SCRIPTITEM_ISVISIBLE));

    TScriptOutcome outcome;
    for (std::size_t i = 0; i < sources.size() && outcome.Succeeded; ++i) {
        const HRESULT parsed = parser->ParseScriptText(sources[i].c_str(), nullptr, nullptr, nullptr, i, 0,
                                                       SCRIPTTEXT_ISVISIBLE, nullptr, nullptr);
        outcome = site->Outcome();
        if (FAILED(parsed) && outcome.Succeeded)
            outcome = {false, fileNames[i] + ": the script engine refused the script (" + SystemErrorMessage(parsed) + ")"};
    }
    return outcome;
}
