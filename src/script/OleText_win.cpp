#include "script/OleText.h"

#include "store/FileStream.h"

#include <new>

namespace {

BSTR BstrFromWide(std::wstring_view text)
{
    BSTR result = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!result)
        throw std::bad_alloc();
    return result;
}

void SetResultBstr(VARIANT* result, BSTR value)
{
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = value;
}

}

void OleCheck(HRESULT code)
{
    if (FAILED(code))
        throw EOleSysError(SystemErrorMessage(static_cast<int>(code)), code);
}

std::string AnsiFromBstr(BSTR text)
{
    return text ? AnsiFromWide({text, ::SysStringLen(text)}) : std::string();
}

std::wstring WideFromBstr(BSTR text)
{
    return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
}

BSTR BstrFromAnsi(std::string_view text)
{
    return BstrFromWide(WideFromAnsi(text));
}

void SetResultBool(VARIANT* result, bool value)
{
    if (!result)
        return;
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetResultInt(VARIANT* result, long value)
{
    if (!result)
        return;
    V_VT(result) = VT_I4;
    V_I4(result) = value;
}

void SetResultText(VARIANT* result, std::string_view text)
{
    if (result)
        SetResultBstr(result, BstrFromAnsi(text));
}

void SetResultText(VARIANT* result, std::wstring_view text)
{
    if (result)
        SetResultBstr(result, BstrFromWide(text));
}
