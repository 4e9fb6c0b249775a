#include "dialogs/ColorText.h"

#include <cstdio>
#include <utility>

namespace {

std::uint32_t FromHex(std::string_view text)
{
    std::uint32_t value = 0;
    for (const char c : text) {
        const std::uint32_t digit = c <= '9' ? c - '0' : c - 'A' + 10;
        value = value << 4 | digit;
    }
    return value;
}

}

std::string SwappedColorText(std::uint32_t value)
{
    char digits[9];
    std::snprintf(digits, sizeof digits, "%06X", static_cast<unsigned>(value));
    std::string text = digits;
    std::swap(text[0], text[4]);
    std::swap(text[1], text[5]);
    return text;
}

std::uint32_t ColorRefFromScriptColor(std::int32_t color)
{
    return FromHex(SwappedColorText(static_cast<std::uint32_t>(color)));
}

std::string ColorResultText(std::uint32_t colorRef)
{
    return SwappedColorText(colorRef);
}

std::array<std::uint32_t, 16> CustomColors()
{
    constexpr std::string_view prefix = "Color";
    std::array<std::uint32_t, 16> colors{};
    for (const std::string_view entry : CustomColorEntries) {
        const std::size_t slot = entry[prefix.size()] - 'A';
        colors[slot] = FromHex(entry.substr(prefix.size() + 2));
    }
    return colors;
}
