#include "script/ScriptEngine.h"

#include "ComObject.h"
#include "UntypedDispatch.h"
#include "script/OleText.h"
#include "store/FileStream.h"

#include <cstdio>
#include <utility>

using Microsoft::WRL::ComPtr;

namespace {

// {F414C260-6AC0-11CF-B6D1-00AA00BBBB58}
constexpr CLSID CLSID_JScript = {0xF414C260, 0x6AC0, 0x11CF, {0xB6, 0xD1, 0x00, 0xAA, 0x00, 0xBB, 0xBB, 0x58}};

// What an error in an evaluated expression names instead of a file.
constexpr char ExpressionName[] = "expression";

// Frees a VARIANT however the scope ends.
class TVariant {
public:
    TVariant() { ::VariantInit(&FValue); }
    explicit TVariant(VARIANT value) : FValue(value) {}
    ~TVariant() { ::VariantClear(&FValue); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;

    VARIANT* Get() { return &FValue; }

private:
    VARIANT FValue;
};

}

class TScriptEngine::THost final : public TComObject<TUntypedDispatch> {
public:
    explicit THost(THostOutput output) : FOutput(std::move(output)) { ::VariantInit(&FArgs); }
    ~THost() override { ::VariantClear(&FArgs); }

    // host.args is the engine's own array: it must go before the engine closes, or under Wine
    // it keeps the engine's whole heap (about 2 MiB) alive after the run.
    void SetArgs(VARIANT args)
    {
        ::VariantClear(&FArgs);
        FArgs = args;
    }
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
            ids[i] = i == 0 ? IdOf(names[i]) : DISPID_UNKNOWN;
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
        if (id != EchoId && id != WriteId)
            return DISP_E_MEMBERNOTFOUND;
        if (params->cArgs != 1)
            return DISP_E_BADPARAMCOUNT;
        TVariant text;
        const HRESULT converted = ::VariantChangeType(text.Get(), &params->rgvarg[0], 0, VT_BSTR);
        if (FAILED(converted))
            return converted;
        try {
            const auto& deliver = id == EchoId ? FOutput.Echo : FOutput.Write;
            if (deliver)
                deliver(WideFromBstr(V_BSTR(text.Get())));
            return S_OK;
        } catch (...) {
            return E_FAIL;
        }
    }

private:
    static constexpr DISPID EchoId = 1;
    static constexpr DISPID ArgsId = 2;
    static constexpr DISPID WriteId = 3;

    static DISPID IdOf(const wchar_t* name)
    {
        return ::_wcsicmp(name, L"echo") == 0    ? EchoId
               : ::_wcsicmp(name, L"args") == 0  ? ArgsId
               : ::_wcsicmp(name, L"write") == 0 ? WriteId
                                                 : DISPID_UNKNOWN;
    }

    THostOutput FOutput;
    VARIANT FArgs;
};

class TScriptEngine::TSite final : public TComObject<IActiveScriptSite> {
public:
    TSite(IUnknown* external, IUnknown* host) : FExternal(external), FHost(host) {}

    // The source context of the next script: its index among the names.
    DWORD AddName(const std::string& name)
    {
        FNames.push_back(name);
        return static_cast<DWORD>(FNames.size() - 1);
    }
    // The error of the last run, cleared by the next.
    TScriptOutcome TakeOutcome() { return std::exchange(FOutcome, TScriptOutcome{}); }

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
        const std::string name = context < FNames.size() ? FNames[context] : ExpressionName;
        FOutcome = {false, name + "(" + std::to_string(line + 1) + "): " + AnsiFromBstr(exception.bstrDescription)};
        ::SysFreeString(exception.bstrSource);
        ::SysFreeString(exception.bstrDescription);
        ::SysFreeString(exception.bstrHelpFile);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

private:
    ComPtr<IUnknown> FExternal;
    ComPtr<IUnknown> FHost;
    std::vector<std::string> FNames;
    TScriptOutcome FOutcome;
};

TScriptEngine::TScriptEngine(IUnknown* external, THostOutput output) : FHost(new THost(std::move(output)))
{
    FSite = new TSite(external, static_cast<IDispatch*>(FHost.Get()));
    OleCheck(::CoCreateInstance(CLSID_JScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                reinterpret_cast<void**>(FEngine.GetAddressOf())));
    try {
        OleCheck(FEngine.As(&FParser));
        OleCheck(FParser->InitNew());
        OleCheck(FEngine->SetScriptSite(FSite.Get()));
        OleCheck(FEngine->AddNamedItem(L"external", SCRIPTITEM_ISVISIBLE));
        OleCheck(FEngine->AddNamedItem(L"host", SCRIPTITEM_ISVISIBLE));
        OleCheck(FEngine->SetScriptState(SCRIPTSTATE_STARTED));
    } catch (...) {
        FEngine->Close();
        throw;
    }
}

TScriptEngine::~TScriptEngine()
{
    FHost->ReleaseArgs();
    FParser.Reset();
    FEngine->Close();
}

void TScriptEngine::SetArgs(const std::vector<std::string>& args)
{
    std::wstring literal = L"[";
    for (const std::string& arg : args) {
        if (literal.size() > 1)
            literal += L',';
        literal += ScriptStringLiteral(WideFromAnsi(arg));
    }
    FHost->SetArgs(Evaluate(literal + L"]"));
}

TScriptOutcome TScriptEngine::Run(const std::string& name, const std::wstring& source)
{
    const DWORD context = FSite->AddName(name);
    const HRESULT parsed =
        FParser->ParseScriptText(source.c_str(), nullptr, nullptr, nullptr, context, 0, SCRIPTTEXT_ISVISIBLE, nullptr,
                                 nullptr);
    TScriptOutcome outcome = FSite->TakeOutcome();
    if (FAILED(parsed) && outcome.Succeeded)
        outcome = {false, name + ": the script engine refused the script (" + SystemErrorMessage(parsed) + ")"};
    return outcome;
}

VARIANT TScriptEngine::Evaluate(const std::wstring& expression)
{
    VARIANT value;
    ::VariantInit(&value);
    const HRESULT parsed = FParser->ParseScriptText(expression.c_str(), nullptr, nullptr, nullptr, DWORD(-1), 0,
                                                    SCRIPTTEXT_ISEXPRESSION, &value, nullptr);
    const TScriptOutcome outcome = FSite->TakeOutcome();
    if (!outcome.Succeeded || FAILED(parsed)) {
        ::VariantClear(&value);
        throw EScriptError(!outcome.Succeeded ? outcome.Error
                                              : "the script engine refused an expression (" +
                                                    SystemErrorMessage(parsed) + ")");
    }
    return value;
}

std::wstring TScriptEngine::EvaluateText(const std::wstring& expression)
{
    TVariant value(Evaluate(expression));
    if (V_VT(value.Get()) == VT_EMPTY || V_VT(value.Get()) == VT_NULL)
        return {};
    OleCheck(::VariantChangeType(value.Get(), value.Get(), 0, VT_BSTR));
    return WideFromBstr(V_BSTR(value.Get()));
}

int TScriptEngine::EvaluateNumber(const std::wstring& expression)
{
    TVariant value(Evaluate(expression));
    if (FAILED(::VariantChangeType(value.Get(), value.Get(), 0, VT_I4)))
        throw EScriptError("the script gave no number");
    return static_cast<int>(V_I4(value.Get()));
}

std::wstring ScriptStringLiteral(std::wstring_view text)
{
    std::wstring literal = L"\"";
    for (const wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            literal += L'\\';
            literal += c;
        } else if (c < 0x20 || c == 0x2028 || c == 0x2029 || c == 0x7F) {
            wchar_t escape[8];
            std::swprintf(escape, 8, L"\\u%04X", static_cast<unsigned>(c));
            literal += escape;
        } else
            literal += c;
    }
    return literal + L"\"";
}
