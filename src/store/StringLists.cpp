#include "store/StringLists.h"
#include "store/FolderCollation.h"

#include <algorithm>
#include <cstring>

void TStringList::Add(std::string text, std::int32_t object)
{
    FItems.push_back({std::move(text), object});
}

void TStringList::AddLines(std::string_view text)
{
    text = text.substr(0, std::min(text.find('\0'), text.size()));
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        Add(std::string(text.substr(start, end - start)));
        if (end == text.size())
            break;
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
}

template <typename Compare>
bool TStringList::Bisect(std::string_view text, std::size_t& index, Compare compare) const
{
    // Signed bounds: high starts at -1 for an empty list.
    std::ptrdiff_t low = 0;
    std::ptrdiff_t high = static_cast<std::ptrdiff_t>(FItems.size()) - 1;
    bool found = false;
    while (low <= high) {
        const std::ptrdiff_t i = (low + high) >> 1;
        const int c = compare(FItems[static_cast<std::size_t>(i)].Text, text);
        if (c < 0) {
            low = i + 1;
        } else {
            high = i - 1;
            if (c == 0) {
                found = true;
                low = i;
            }
        }
    }
    index = static_cast<std::size_t>(low);
    return found;
}

bool TStringList::Find(std::string_view text, std::size_t& index) const
{
    return Bisect(text, index, CompareFolderNames);
}

int TStringList::CompareLines(std::string_view a, std::string_view b) const
{
    return CompareFolderNames(a, b);
}

void TStringList::Sort()
{
    std::stable_sort(FItems.begin(), FItems.end(),
                     [](const Item& a, const Item& b) { return CompareFolderNames(a.Text, b.Text) < 0; });
}

bool TUStringList::Find(std::string_view text, std::size_t& index) const
{
    return Bisect(text, index, CompareKeys);
}

int TUStringList::CompareLines(std::string_view a, std::string_view b) const
{
    return CompareKeys(a, b);
}

void TUStringList::Sort()
{
    std::stable_sort(FItems.begin(), FItems.end(),
                     [](const Item& a, const Item& b) { return CompareKeys(a.Text, b.Text) < 0; });
}

int CompareKeys(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
    if (c != 0)
        return c < 0 ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
