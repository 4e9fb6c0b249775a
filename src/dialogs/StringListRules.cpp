#include "dialogs/StringListRules.h"

#include <algorithm>
#include <optional>

namespace {

// The number that a name spells in "%d" form, when it is at most limit.
std::optional<std::size_t> NumberAtMost(const std::wstring& name, std::size_t limit)
{
    if (name.empty() || (name.size() > 1 && name[0] == L'0'))
        return std::nullopt;
    std::size_t number = 0;
    for (const wchar_t digit : name) {
        if (digit < L'0' || digit > L'9')
            return std::nullopt;
        number = number * 10 + static_cast<std::size_t>(digit - L'0');
        if (number > limit)
            return std::nullopt;
    }
    return number;
}

}

std::wstring SmallestFreeName(const std::vector<std::wstring>& names)
{
    // n names use at most n numbers, so the answer is at most n.
    std::vector<bool> used(names.size() + 1, false);
    for (const std::wstring& name : names)
        if (const std::optional<std::size_t> number = NumberAtMost(name, names.size()))
            used[*number] = true;
    const auto free = std::find(used.begin(), used.end(), false);
    return std::to_wstring(free - used.begin());
}

int SelectionAfterDelete(int deleted, std::size_t remaining)
{
    if (remaining == 0)
        return -1;
    return std::min(deleted, static_cast<int>(remaining) - 1);
}

TPosition CentredOver(const TRect& outer, int width, int height)
{
    return {outer.Left + outer.Width / 2 - width / 2, outer.Top + outer.Height / 2 - height / 2};
}

TPosition CentredWithin(const TRect& outer, const TRect& workArea, int width, int height)
{
    const TPosition centred = CentredOver(outer, width, height);
    const auto into = [](int start, int size, int areaStart, int areaSize) {
        return std::max(areaStart, std::min(start, areaStart + areaSize - size));
    };
    return {into(centred.Left, width, workArea.Left, workArea.Width),
            into(centred.Top, height, workArea.Top, workArea.Height)};
}

TButtonPair CentredButtonPair(int panelWidth, int firstWidth, int gap)
{
    const int half = panelWidth / 2;
    return {half - gap / 2 - firstWidth, half + gap / 2};
}
