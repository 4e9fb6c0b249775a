#include "app/PageUrl.h"

#include "protocol/MyLVHandler.h"

#include <algorithm>

namespace {

wchar_t AsciiLower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}

bool IsTweaksUrl(std::wstring_view url)
{
    const std::wstring_view scheme = DefaultSchemeName;
    if (url.size() <= scheme.size() || url[scheme.size()] != L':')
        return false;
    return std::equal(scheme.begin(), scheme.end(), url.begin(),
                      [](wchar_t want, wchar_t have) { return want == AsciiLower(have); });
}
