#include "app/ProgramHost.h"

#include <algorithm>

namespace {

template <typename Char>
std::vector<std::basic_string<Char>> NonBlankLines(std::basic_string_view<Char> text)
{
    std::vector<std::basic_string<Char>> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(Char('\n')), text.size());
        std::basic_string<Char> line(text.substr(0, end));
        while (!line.empty() && (line.back() == Char('\r') || line.back() == Char(' ')))
            line.pop_back();
        if (!line.empty())
            lines.push_back(std::move(line));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

}

std::vector<std::string> HostScriptPaths(std::string_view list)
{
    std::vector<std::string> paths = NonBlankLines(list);
    for (std::string& path : paths)
        std::ranges::replace(path, '/', '\\');
    return paths;
}

std::vector<TWatchedKey> ParseWatchedKeys(std::wstring_view lines)
{
    std::vector<TWatchedKey> keys;
    for (const std::wstring& line : NonBlankLines(lines)) {
        const std::size_t tab = line.find(L'\t');
        const std::wstring root = line.substr(0, tab);
        if (tab != std::wstring::npos && tab + 1 < line.size() && (root == L"HKCU" || root == L"HKLM"))
            keys.push_back({root == L"HKCU" ? "HKCU" : "HKLM", line.substr(tab + 1)});
    }
    return keys;
}
