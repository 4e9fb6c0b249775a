#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Script colours are 0xRRGGBB, the platform's COLORREF is 0x00BBGGRR. Both directions go through
// one text swap: the value as uppercase hexadecimal, zero-padded to at least six digits, with
// characters 1-2 and 5-6 exchanged. Values above 0xFFFFFF (and negative script colours) give seven
// or eight digits, of which the same positions are exchanged, as pages have always seen it.
std::string SwappedColorText(std::uint32_t value);

std::uint32_t ColorRefFromScriptColor(std::int32_t color);

// The text a script receives for a chosen COLORREF: six digits RRGGBB, uppercase, no prefix.
std::string ColorResultText(std::uint32_t colorRef);

// The colour dialog's sixteen custom colours, as "Color" + slot letter + "=" + the slot's COLORREF
// in hexadecimal (so written blue-green-red).
inline constexpr std::array<std::string_view, 16> CustomColorEntries = {
    "ColorA=000000", "ColorB=FFFFFF", "ColorC=FF0000", "ColorD=00FF00",
    "ColorE=0000FF", "ColorF=FFFF00", "ColorG=FF00FF", "ColorH=00FFFF",
    "ColorI=666666", "ColorJ=999999", "ColorK=660000", "ColorL=006600",
    "ColorM=000066", "ColorN=666600", "ColorO=660066", "ColorP=006666",
};

// The slots 0-15 filled from CustomColorEntries, each entry's letter naming its slot.
std::array<std::uint32_t, 16> CustomColors();
