#include "store/FolderCollation.h"

#include <windows.h>

namespace {
// CompareStringA refuses a null pointer even with a length of 0, and an empty view may have one.
const char* TextOf(std::string_view text) { return text.empty() ? "" : text.data(); }
}

int CompareFolderNames(std::string_view a, std::string_view b)
{
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, TextOf(a), static_cast<int>(a.size()), TextOf(b),
                            static_cast<int>(b.size())) - CSTR_EQUAL;
}
