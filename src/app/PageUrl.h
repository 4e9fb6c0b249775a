#pragma once

#include <string_view>

// Whether a document's address is one of the program's own pages: it begins with the scheme
// name and a colon, in any letter case. Only such documents may reach the registry through
// window.external; pages from anywhere else must not.
bool IsTweaksUrl(std::wstring_view url);
