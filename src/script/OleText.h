#pragma once

// Text and results at the COM boundary, and results stored in the caller's VARIANT. Registry
// texts pass as UTF-16, exactly as the scripts give them; the program's own texts are ANSI.

#include "Exception.h"
#include "script/AnsiText.h"

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A failed platform call that carries its HRESULT.
class EOleSysError : public Exception {
public:
    EOleSysError(const std::string& message, HRESULT code) : Exception(message), FCode(code) {}
    HRESULT ErrorCode() const { return FCode; }

private:
    HRESULT FCode;
};

// Raises EOleSysError with the system's description of code when code is a failure.
void OleCheck(HRESULT code);

// The text in the system ANSI code page (see AnsiFromWide).
std::string AnsiFromBstr(BSTR text);
// The text exactly, embedded NUL characters included; a null BSTR is the empty text.
std::wstring WideFromBstr(BSTR text);

// A new BSTR, owned by the caller; std::bad_alloc when there is no memory for it.
BSTR BstrFromAnsi(std::string_view text);

// Binary data passes as pairs of hexadecimal digits in either case, nothing between them; none
// for any other text.
std::optional<std::vector<std::uint8_t>> BytesFromHex(const std::wstring& text);

void SetResultBool(VARIANT* result, bool value);
void SetResultInt(VARIANT* result, long value);
void SetResultText(VARIANT* result, std::string_view text);
void SetResultText(VARIANT* result, std::wstring_view text);
