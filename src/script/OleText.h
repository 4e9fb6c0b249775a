#pragma once

// Text and results at the COM boundary: BSTRs become ANSI text on entry and go back on exit,
// and results are stored in the caller's VARIANT.

#include "Exception.h"

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <string_view>

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

// The text in the system ANSI code page; a character it cannot hold becomes the code page's
// default character ("?"), never a look-alike.
std::string AnsiFromBstr(BSTR text);
std::wstring WideFromAnsi(std::string_view text);
std::string AnsiFromWide(std::wstring_view text);

// A new BSTR, owned by the caller; std::bad_alloc when there is no memory for it.
BSTR BstrFromAnsi(std::string_view text);

void SetResultBool(VARIANT* result, bool value);
void SetResultInt(VARIANT* result, long value);
void SetResultText(VARIANT* result, std::string_view text);
