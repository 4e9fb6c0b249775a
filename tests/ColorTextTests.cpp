// The colour conversions between script colours, the platform's COLORREF and the result text.
#include "dialogs/ColorText.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

std::uint32_t ColorRef(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    return blue << 16 | green << 8 | red;
}

TEST(ColorText, ScriptColorBecomesColorRef)
{
    EXPECT_EQ(ColorRefFromScriptColor(0x123456), 0x563412u);
    EXPECT_EQ(ColorRefFromScriptColor(0xFF0000), ColorRef(0xFF, 0, 0));
    EXPECT_EQ(ColorRefFromScriptColor(0x0000FF), ColorRef(0, 0, 0xFF));
    EXPECT_EQ(ColorRefFromScriptColor(0), 0u);
}

TEST(ColorText, ResultTextIsRedGreenBlueUppercaseSixDigits)
{
    EXPECT_EQ(ColorResultText(0x000080FF), "FF8000");
    EXPECT_EQ(ColorResultText(ColorRef(0xAB, 0xCD, 0xEF)), "ABCDEF");
    EXPECT_EQ(ColorResultText(ColorRef(0, 0, 0x0A)), "00000A");
}

void ExpectRoundTrip(std::uint32_t color)
{
    char expected[7];
    std::snprintf(expected, sizeof expected, "%06X", static_cast<unsigned>(color));
    EXPECT_EQ(ColorResultText(ColorRefFromScriptColor(static_cast<std::int32_t>(color))), expected);
}

// Every value of each channel with the others at zero and at full, and every 251st colour,
// keeps the run short under the sanitizers and Wine.
TEST(ColorText, AnyColorComesBackUnchanged)
{
    for (std::uint32_t value = 0; value <= 0xFF; ++value)
        for (const unsigned shift : {0u, 8u, 16u}) {
            ExpectRoundTrip(value << shift);
            ExpectRoundTrip(value << shift | (0xFFFFFFu & ~(0xFFu << shift)));
        }
    for (std::uint32_t color = 0; color <= 0xFFFFFF; color += 251)
        ExpectRoundTrip(color);
    ExpectRoundTrip(0xFFFFFF);
}

TEST(ColorText, SevenAndEightDigitsSwapTheSamePositions)
{
    EXPECT_EQ(SwappedColorText(0x1234567), "5634127");
    EXPECT_EQ(ColorRefFromScriptColor(0x1234567), 0x5634127u);
    EXPECT_EQ(SwappedColorText(0x12345678), "56341278");
    EXPECT_EQ(ColorRefFromScriptColor(0x12345678), 0x56341278u);
    EXPECT_EQ(ColorRefFromScriptColor(-1), 0xFFFFFFFFu);
    EXPECT_EQ(SwappedColorText(0x80000000u), "00008000");
}

TEST(ColorText, CustomColorTable)
{
    const auto colors = CustomColors();
    const std::array<std::string, 16> shown = {
        "000000", "FFFFFF", "0000FF", "00FF00", "FF0000", "00FFFF", "FF00FF", "FFFF00",
        "666666", "999999", "000066", "006600", "660000", "006666", "660066", "666600",
    };
    for (std::size_t slot = 0; slot < colors.size(); ++slot)
        EXPECT_EQ(ColorResultText(colors[slot]), shown[slot]) << "slot " << slot;
    EXPECT_EQ(colors[2], 0xFF0000u);
    EXPECT_EQ(colors[4], 0x0000FFu);
}

}
