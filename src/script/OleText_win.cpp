#include "script/OleText.h"

#include "store/FileStream.h"

#include <new>

void OleCheck(HRESULT code)
{
    if (FAILED(code))
        throw EOleSysError(SystemErrorMessage(static_cast<int>(code)), code);
}

std::string AnsiFromWide(std::wstring_view text)
{
    if (text.empty())
        return {};
    // No best fit: it would turn a character the code page lacks into a look-alike, a
    // full-width backslash into a key path's separator; such a character becomes the code
    // page's default character instead. UTF-8 holds every character and takes no flags.
    const DWORD flags = ::GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, ansi.data(), size, nullptr, nullptr);
    return ansi;
}

std::wstring WideFromAnsi(std::string_view text)
{
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), size);
    return wide;
}

std::string AnsiFromBstr(BSTR text)
{
    return text ? AnsiFromWide({text, ::SysStringLen(text)}) : std::string();
}

BSTR BstrFromAnsi(std::string_view text)
{
    const std::wstring wide = WideFromAnsi(text);
    BSTR result = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!result)
        throw std::bad_alloc();
    return result;
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
    if (!result)
        return;
    BSTR value = BstrFromAnsi(text);
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = value;
}
