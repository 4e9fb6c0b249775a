#include "protocol/MyLVHandler.h"

#include <algorithm>

std::string EntryPathFromUrl(std::string_view url)
{
    if (url.size() <= UrlPrefixLength)
        return {};
    std::string path(url.substr(UrlPrefixLength, MaxEntryPathLength));
    std::ranges::replace(path, '/', '\\');
    return path;
}
