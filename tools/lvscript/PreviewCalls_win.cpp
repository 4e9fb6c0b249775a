#include "PreviewCalls.h"

#include "PreviewHttp.h"

#include "UniqueBstr.h"
#include "script/ComServer.h"
#include "script/MorvaneAutoObj_Impl.h"
#include "script/OleText.h"
#include "store/FileStream.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <new>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

// The arguments of one Invoke, in the order of the call; DISPPARAMS wants them last first.
class TArguments {
public:
    TArguments() = default;
    TArguments(const TArguments&) = delete;
    TArguments& operator=(const TArguments&) = delete;
    ~TArguments()
    {
        for (VARIANT& value : FValues)
            ::VariantClear(&value);
    }

    // A JSON null is a script's null, or its undefined (VT_EMPTY) when the call marks it so.
    void Add(const TJsonScalar& scalar, bool undefined)
    {
        VARIANT& value = *FValues.emplace(FValues.begin());
        ::VariantInit(&value);
        switch (scalar.Kind) {
        case TJsonScalar::TKind::Null:
            V_VT(&value) = undefined ? VT_EMPTY : VT_NULL;
            break;
        case TJsonScalar::TKind::Bool:
            V_VT(&value) = VT_BOOL;
            V_BOOL(&value) = scalar.Bool ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case TJsonScalar::TKind::Number:
            SetNumber(value, scalar.Number);
            break;
        case TJsonScalar::TKind::Text:
            V_BSTR(&value) = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(scalar.Text.data()),
                                                 static_cast<UINT>(scalar.Text.size()));
            if (!V_BSTR(&value))
                throw std::bad_alloc();
            V_VT(&value) = VT_BSTR;
            break;
        }
    }

    DISPPARAMS Params() { return {FValues.data(), nullptr, static_cast<UINT>(FValues.size()), 0}; }

private:
    // A whole number as JScript passes it, VT_I4; any other as a double.
    static void SetNumber(VARIANT& value, double number)
    {
        if (std::trunc(number) == number && number >= INT_MIN && number <= INT_MAX) {
            V_VT(&value) = VT_I4;
            V_I4(&value) = static_cast<LONG>(number);
        } else {
            V_VT(&value) = VT_R8;
            V_R8(&value) = number;
        }
    }

    std::vector<VARIANT> FValues;
};

class TResult {
public:
    TResult() { ::VariantInit(&FValue); }
    TResult(const TResult&) = delete;
    TResult& operator=(const TResult&) = delete;
    ~TResult() { ::VariantClear(&FValue); }
    VARIANT* Get() { return &FValue; }

private:
    VARIANT FValue;
};

// A call that failed, with the message the page's script gets.
struct TCallFailure {
    std::u16string Message;
};

std::u16string U16(std::wstring_view text)
{
    return {text.begin(), text.end()};
}

std::u16string U16(BSTR text)
{
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text), ::SysStringLen(text)) : std::u16string();
}

TCallFailure FailureOf(HRESULT code)
{
    return {U16(WideFromAnsi(SystemErrorMessage(static_cast<int>(code))))};
}

// The method's own message when it raised one, as a script engine reads it.
TCallFailure FailureOf(HRESULT code, EXCEPINFO& exception)
{
    if (exception.pfnDeferredFillIn)
        exception.pfnDeferredFillIn(&exception);
    const UniqueBstr description(exception.bstrDescription), source(exception.bstrSource),
        helpFile(exception.bstrHelpFile);
    if (code == DISP_E_EXCEPTION && description)
        return {U16(description.Get())};
    return FailureOf(code == DISP_E_EXCEPTION && exception.scode ? exception.scode : code);
}

DISPID IdOf(IDispatch* object, const std::u16string& name)
{
    std::wstring wide(name.begin(), name.end());
    LPOLESTR names[] = {wide.data()};
    DISPID id = DISPID_UNKNOWN;
    if (const HRESULT found = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); FAILED(found))
        throw FailureOf(found);
    return id;
}

void Invoke(IDispatch* object, const std::u16string& name, WORD kind, TArguments& arguments, TResult& result)
{
    const DISPID id = IdOf(object, name);
    DISPPARAMS params = arguments.Params();
    EXCEPINFO exception{};
    UINT wrongArgument = 0;
    const HRESULT invoked = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result.Get(),
                                           &exception, &wrongArgument);
    if (FAILED(invoked))
        throw FailureOf(invoked, exception);
}

ComPtr<IDispatch> PropertyObject(IDispatch* object, const std::u16string& name)
{
    TArguments none;
    TResult value;
    Invoke(object, name, DISPATCH_PROPERTYGET, none, value);
    ComPtr<IDispatch> property;
    if (V_VT(value.Get()) == VT_DISPATCH && V_DISPATCH(value.Get()))
        property = V_DISPATCH(value.Get());
    if (!property)
        throw TCallFailure{u"window.external has no object " + name};
    return property;
}

std::string JsonValue(VARIANT& value)
{
    switch (V_VT(&value)) {
    case VT_EMPTY:
        return {};
    case VT_NULL:
        return "null";
    case VT_BOOL:
        return V_BOOL(&value) ? "true" : "false";
    case VT_BSTR:
        return JsonString(U16(V_BSTR(&value)));
    case VT_I4:
        return std::to_string(V_I4(&value));
    default:
        break;
    }
    TResult number;
    if (FAILED(::VariantChangeType(number.Get(), &value, 0, VT_R8)))
        throw TCallFailure{u"The preview cannot pass this result to the page"};
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", V_R8(number.Get()));
    return text;
}

std::string Answer(std::string_view name, const std::string& json)
{
    return json.empty() ? "{}" : "{\"" + std::string(name) + "\":" + json + "}";
}

// Calls visit with every member of the type that a script may call: none restricted or hidden,
// as IDispatch's own are in the dispatch view of a dual interface.
template <typename Visit>
void ForEachMember(ITypeInfo* info, Visit&& visit)
{
    TYPEATTR* attributes = nullptr;
    OleCheck(info->GetTypeAttr(&attributes));
    const WORD count = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);
    for (WORD i = 0; i < count; ++i) {
        FUNCDESC* member = nullptr;
        OleCheck(info->GetFuncDesc(i, &member));
        const std::unique_ptr<FUNCDESC, std::function<void(FUNCDESC*)>> owned(
            member, [info](FUNCDESC* described) { info->ReleaseFuncDesc(described); });
        if (!(member->wFuncFlags & (FUNCFLAG_FRESTRICTED | FUNCFLAG_FHIDDEN)))
            visit(*member);
    }
}

std::string MemberName(ITypeInfo* info, MEMBERID id)
{
    BSTR name = nullptr;
    OleCheck(info->GetDocumentation(id, &name, nullptr, nullptr, nullptr));
    const UniqueBstr owned(name);
    return JsonString(U16(name));
}

// The interface an object property gives: its type is a pointer to it, in the dispatch view
// the property's own type, in the interface view its last (retval) parameter's.
ComPtr<ITypeInfo> PropertyType(ITypeInfo* info, const FUNCDESC& member)
{
    const TYPEDESC* type = &member.elemdescFunc.tdesc;
    if (type->vt == VT_HRESULT && member.cParams > 0)
        type = &member.lprgelemdescParam[member.cParams - 1].tdesc;
    while (type->vt == VT_PTR)
        type = type->lptdesc;
    ComPtr<ITypeInfo> property;
    if (type->vt == VT_USERDEFINED)
        OleCheck(info->GetRefTypeInfo(type->hreftype, property.GetAddressOf()));
    return property;
}

std::string MethodNames(ITypeInfo* info)
{
    std::string names;
    ForEachMember(info, [&](const FUNCDESC& member) {
        if (member.invkind == INVOKE_FUNC)
            names += (names.empty() ? "" : ",") + MemberName(info, member.memid);
    });
    return "[" + names + "]";
}

// {"": [root methods], "Registry": [its methods], ...}
std::string ProxyShape()
{
    ComPtr<ITypeInfo> root;
    OleCheck(ComServer().TypeLib()->GetTypeInfoOfGuid(__uuidof(ITweakExternal), root.GetAddressOf()));
    std::string shape = "{\"\":" + MethodNames(root.Get());
    ForEachMember(root.Get(), [&](const FUNCDESC& member) {
        if (member.invkind != INVOKE_PROPERTYGET)
            return;
        if (const ComPtr<ITypeInfo> property = PropertyType(root.Get(), member))
            shape += "," + MemberName(root.Get(), member.memid) + ":" + MethodNames(property.Get());
    });
    return shape + "}";
}

// Plain ES5, so that it runs in any browser a page author previews with. A failed call throws
// an Error with the method's message, as the program's script engine raises it.
constexpr std::string_view ProxyScript = R"(<script>(function () {
  var page = %PAGE%, url = %URL%, shape = %SHAPE%;
  function call(property, method, args) {
    var request = new XMLHttpRequest();
    request.open("POST", url, false);
    request.setRequestHeader("Content-Type", "application/json");
    var list = Array.prototype.slice.call(args), undefinedAt = "";
    for (var i = 0; i < list.length; i++)
      undefinedAt += list[i] === undefined ? "u" : "-";
    request.send(JSON.stringify([page, property, method, undefinedAt].concat(list)));
    if (request.status !== 200)
      throw new Error("The preview refused the call: " + request.status + " " + request.statusText);
    var answer = JSON.parse(request.responseText);
    if (answer.hasOwnProperty("error"))
      throw new Error(answer.error);
    return answer.value;
  }
  function proxy(property) {
    var made = {};
    for (var i = 0; i < shape[property].length; i++)
      made[shape[property][i]] = (function (method) {
        return function () { return call(property, method, arguments); };
      })(shape[property][i]);
    return made;
  }
  var external = proxy("");
  for (var property in shape)
    if (property !== "")
      external[property] = proxy(property);
  window.external = external;
  // A page that is gone lets go of its objects, as the browser control releases them.
  window.addEventListener("pagehide", function (event) {
    if (!event.persisted && navigator.sendBeacon)
      navigator.sendBeacon(url, JSON.stringify([page]));
  });
})();</script>)";

std::string Filled(std::string text, std::string_view mark, const std::string& value)
{
    return text.replace(text.find(mark), mark.size(), value);
}

}

TPreviewCalls::TPreviewCalls() : FShape(ProxyShape()) {}

void TPreviewCalls::ReleaseLeastRecentPage()
{
    auto oldest = FRoots.begin();
    for (auto page = FRoots.begin(); page != FRoots.end(); ++page)
        if (page->second.LastUse < oldest->second.LastUse)
            oldest = page;
    FRoots.erase(oldest);
}

std::string TPreviewCalls::NewPageScript(std::string_view callPath)
{
    if (FRoots.size() >= MaxPages)
        ReleaseLeastRecentPage();
    FRoots.emplace(++FLastPage, TPage{ComPtr<IDispatch>(new TTweakExternal), ++FUses});
    const std::string url = JsonString(std::u16string(callPath.begin(), callPath.end()));
    return Filled(Filled(Filled(std::string(ProxyScript), "%PAGE%", std::to_string(FLastPage)), "%URL%", url),
                  "%SHAPE%", FShape);
}

std::string TPreviewCalls::Call(std::string_view body)
{
    std::vector<TJsonScalar> values;
    using TKind = TJsonScalar::TKind;
    if (!ParseJsonScalars(body, values) || values.empty() || values[0].Kind != TKind::Number)
        return Answer("error", JsonString(u"The preview cannot read the call"));
    const auto root = FRoots.find(static_cast<long>(values[0].Number));
    if (root == FRoots.end())
        return Answer("error", JsonString(u"The page's objects are gone: load the page again"));
    if (values.size() == 1) {
        FRoots.erase(root);
        return "{}";
    }
    if (values.size() < 4 || values[1].Kind != TKind::Text || values[2].Kind != TKind::Text ||
        values[3].Kind != TKind::Text)
        return Answer("error", JsonString(u"The preview cannot read the call"));
    root->second.LastUse = ++FUses;
    try {
        // Held for the whole call: a nested call may come in while a dialog is open, and may
        // release this page's root.
        ComPtr<IDispatch> object = root->second.Root;
        if (!values[1].Text.empty())
            object = PropertyObject(object.Get(), values[1].Text);
        TArguments arguments;
        const std::u16string& undefinedAt = values[3].Text;
        for (std::size_t i = 4; i < values.size(); ++i)
            arguments.Add(values[i], i - 4 < undefinedAt.size() && undefinedAt[i - 4] == u'u');
        TResult result;
        Invoke(object.Get(), values[2].Text, DISPATCH_METHOD, arguments, result);
        return Answer("value", JsonValue(*result.Get()));
    } catch (const TCallFailure& failure) {
        return Answer("error", JsonString(failure.Message));
    }
}
