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

std::optional<std::uint8_t> HexDigit(wchar_t digit)
{
    if (digit >= L'0' && digit <= L'9')
        return static_cast<std::uint8_t>(digit - L'0');
    if (digit >= L'A' && digit <= L'F')
        return static_cast<std::uint8_t>(digit - L'A' + 10);
    if (digit >= L'a' && digit <= L'f')
        return static_cast<std::uint8_t>(digit - L'a' + 10);
    return std::nullopt;
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

std::optional<std::vector<std::uint8_t>> BytesFromHex(const std::wstring& text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const std::optional<std::uint8_t> high = HexDigit(text[i]);
        const std::optional<std::uint8_t> low = HexDigit(text[i + 1]);
        if (!high || !low)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*high << 4 | *low));
    }
    return bytes;
}
