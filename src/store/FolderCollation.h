#pragma once

#include <string_view>

// Folder lines are bisected with the platform's case-insensitive collation, which does not
// order like bytes: symbols sort before digits, digits before letters. Result <0, 0 or >0.
int CompareFolderNames(std::string_view a, std::string_view b);

// A collation of our own that agrees with the Windows one (CompareStringA, user default
// locale, NORM_IGNORECASE) on every name built from the characters IsPortableFolderChar
// accepts: letters and digits, the backslash between folders, and the symbols
// " !#$%&(),.;@[]^_`{}~+=". Hyphen and apostrophe are left out: Windows nearly ignores them.
int ComparePortableFolderNames(std::string_view a, std::string_view b);

bool IsPortableFolderChar(char c);
