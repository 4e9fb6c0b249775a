#pragma once

#include "UniqueHandle.h"

#include <windows.h>
#include <oleauto.h>

// A BSTR the holder owns, freed with SysFreeString.
inline void FreeBstr(BSTR text)
{
    ::SysFreeString(text);
}
using UniqueBstr = UniqueHandle<BSTR, FreeBstr>;
