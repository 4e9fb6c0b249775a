#include "store/FolderCollation.h"

int CompareFolderNames(std::string_view a, std::string_view b)
{
    return ComparePortableFolderNames(a, b);
}
