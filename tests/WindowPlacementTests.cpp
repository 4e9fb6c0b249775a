// The main window's stored placement and the check that decides which documents get
// window.external: pure functions, the same on every build.
#include "app/PageUrl.h"
#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace {

using TBytes = std::array<std::uint8_t, PlacementSize>;

const std::vector<TScreenRect> OneScreen{{0, 0, 1024, 768}};
// A second monitor to the left of the primary one, as the platform reports it: negative x.
const std::vector<TScreenRect> TwoScreens{{0, 0, 1024, 768}, {-1280, 0, 0, 1024}};

TWindowBounds Restored(std::optional<std::vector<std::uint8_t>> stored,
                       const std::vector<TScreenRect>& monitors = OneScreen, int storedDpi = 96)
{
    std::optional<std::span<const std::uint8_t>> bytes;
    if (stored)
        bytes = *stored;
    return RestoredPlacement(bytes, storedDpi, monitors, 1024, 768);
}

std::vector<std::uint8_t> Stored(const TWindowBounds& bounds)
{
    const TBytes bytes = EncodePlacement(bounds);
    return {bytes.begin(), bytes.end()};
}

TEST(PlacementEncoding, WidthHeightLeftTopAsLittleEndianSixteenBitFields)
{
    EXPECT_EQ(EncodePlacement({700, 500, 162, 134}), (TBytes{0xBC, 0x02, 0xF4, 0x01, 0xA2, 0x00, 0x86, 0x00}));
    EXPECT_EQ(DecodePlacement({0xBC, 0x02, 0xF4, 0x01, 0xA2, 0x00, 0x86, 0x00}), (TWindowBounds{700, 500, 162, 134}));
}

TEST(PlacementEncoding, NegativeBoundsRoundTrip)
{
    EXPECT_EQ(EncodePlacement({800, 600, -1200, -30}), (TBytes{0x20, 0x03, 0x58, 0x02, 0x50, 0xFB, 0xE2, 0xFF}));
    EXPECT_EQ(DecodePlacement(EncodePlacement({800, 600, -1200, -30})), (TWindowBounds{800, 600, -1200, -30}));
    EXPECT_EQ(DecodePlacement(EncodePlacement({1, 1, -32768, 32767})), (TWindowBounds{1, 1, -32768, 32767}));
}

TEST(PlacementEncoding, BoundsOutsideSixteenBitsKeepTheirLowBitsAndComeBackSignExtended)
{
    EXPECT_EQ(EncodePlacement({40000, 65536, 65436, -32769}), (TBytes{0x40, 0x9C, 0x00, 0x00, 0x9C, 0xFF, 0xFF, 0x7F}));
    EXPECT_EQ(DecodePlacement(EncodePlacement({40000, 65536, 65436, -32769})), (TWindowBounds{-25536, 0, -100, 32767}));
}

TEST(DefaultPlacement, IsSevenHundredByFiveHundredCentredOnThePrimaryScreen)
{
    EXPECT_EQ(DefaultPlacement(1024, 768), (TWindowBounds{700, 500, 162, 134}));
    EXPECT_EQ(DefaultPlacement(1920, 1080), (TWindowBounds{700, 500, 610, 290}));
    // Halves truncate: 1023 div 2 = 511, 767 div 2 = 383.
    EXPECT_EQ(DefaultPlacement(1023, 767), (TWindowBounds{700, 500, 161, 133}));
    // A screen smaller than the window: negative edges, truncated toward zero (-1 div 2 = 0).
    EXPECT_EQ(DefaultPlacement(-1, 401), (TWindowBounds{700, 500, -350, -50}));
}

TEST(DefaultPlacement, GrowsWithTheDpiUpToTheScreen)
{
    EXPECT_EQ(DefaultPlacement(1920, 1080, 144), (TWindowBounds{1050, 750, 435, 165}));
    EXPECT_EQ(DefaultPlacement(1024, 768, 192), (TWindowBounds{1024, 768, 0, 0}));
    EXPECT_EQ(DefaultPlacement(600, 400, 192), (TWindowBounds{700, 500, -50, -50})) << "never below 96 DPI's size";
}

// Stored at one DPI, a window that comes back onto a monitor of another keeps its corner and
// shows as much as it did; the monitor that holds most of it decides.
TEST(RestoredPlacement, KeepsItsCornerAndScalesItsSizeOnAMonitorOfAnotherDpi)
{
    const std::vector<TScreenRect> at144{{0, 0, 1920, 1080, 144}};
    EXPECT_EQ(Restored(Stored({700, 500, 10, 20}), at144, 96), (TWindowBounds{1050, 750, 10, 20}));
    EXPECT_EQ(Restored(Stored({700, 500, 10, 20}), at144, 144), (TWindowBounds{700, 500, 10, 20}));
    EXPECT_EQ(Restored(Stored({1000, 600, 900, 400}), at144, 96), (TWindowBounds{1500, 900, 420, 180}))
        << "moved in as far as needed to stay wholly on the monitor";
    EXPECT_EQ(Restored(Stored({1400, 800, 0, 0}), at144, 96), (TWindowBounds{1920, 1080, 0, 0}));
    EXPECT_EQ(Restored(Stored({700, 500, -100, 10}), at144, 96), (TWindowBounds{1050, 750, -100, 10}))
        << "a window that stuck out still does";
    const std::vector<TScreenRect> mixed{{0, 0, 1024, 768, 96}, {1024, 0, 2944, 1080, 144}};
    EXPECT_EQ(Restored(Stored({800, 600, 900, 0}), mixed, 192), (TWindowBounds{600, 450, 900, 0}));
    EXPECT_EQ(Restored(Stored({800, 600, 100, 0}), mixed, 192), (TWindowBounds{400, 300, 100, 0}));
}

TEST(RestoredPlacement, NoValueOrAValueThatIsNotEightBytesGivesTheDefault)
{
    const TWindowBounds fallback{700, 500, 162, 134};
    EXPECT_EQ(Restored(std::nullopt), fallback);
    EXPECT_EQ(Restored(std::vector<std::uint8_t>{}), fallback);
    std::vector<std::uint8_t> seven = Stored({300, 200, 10, 10});
    seven.pop_back();
    EXPECT_EQ(Restored(seven), fallback);
    std::vector<std::uint8_t> nine = Stored({300, 200, 10, 10});
    nine.push_back(0);
    EXPECT_EQ(Restored(nine), fallback);
    EXPECT_EQ(Restored(Stored({300, 200, 10, 10})), (TWindowBounds{300, 200, 10, 10}));
}

TEST(RestoredPlacement, AWindowPartlyOnAMonitorComesBackWhereItWas)
{
    EXPECT_EQ(Restored(Stored({700, 500, -100, -40})), (TWindowBounds{700, 500, -100, -40}));
    EXPECT_EQ(Restored(Stored({700, 500, 1023, 767})), (TWindowBounds{700, 500, 1023, 767}));
    EXPECT_EQ(Restored(Stored({700, 500, -1000, 100}), TwoScreens), (TWindowBounds{700, 500, -1000, 100}));
}

TEST(RestoredPlacement, AWindowOffEveryMonitorOrWithoutAreaGivesTheDefault)
{
    const TWindowBounds fallback{700, 500, 162, 134};
    // Touching an edge is not overlapping it.
    EXPECT_EQ(Restored(Stored({700, 500, 1024, 0})), fallback);
    EXPECT_EQ(Restored(Stored({700, 500, -700, 0})), fallback);
    EXPECT_EQ(Restored(Stored({700, 500, 0, 768})), fallback);
    EXPECT_EQ(Restored(Stored({700, 500, -1000, 100})), fallback);
    EXPECT_EQ(Restored(Stored({700, 500, -2000, 100}), TwoScreens), fallback);
    EXPECT_EQ(Restored(Stored({0, 500, 100, 100})), fallback);
    EXPECT_EQ(Restored(Stored({-700, 500, 100, 100})), fallback);
    EXPECT_EQ(Restored(Stored({700, 500, 100, 100}), {}), fallback);
}

TEST(IsTweaksUrl, OnlyAddressesOfTheProgramsOwnSchemeInAnyLetterCase)
{
    EXPECT_TRUE(IsTweaksUrl(L"tweaks://tweaks/start.html"));
    EXPECT_TRUE(IsTweaksUrl(L"TWEAKS://tweaks/start.html"));
    EXPECT_TRUE(IsTweaksUrl(L"Tweaks:start.html"));
    EXPECT_TRUE(IsTweaksUrl(L"tweaks:"));
    EXPECT_FALSE(IsTweaksUrl(L"http://tweaks/start.html"));
    EXPECT_FALSE(IsTweaksUrl(L"about:blank"));
    EXPECT_FALSE(IsTweaksUrl(L""));
    EXPECT_FALSE(IsTweaksUrl(L"tweaks"));
    EXPECT_FALSE(IsTweaksUrl(L"tweaksx://tweaks/start.html"));
    EXPECT_FALSE(IsTweaksUrl(L" tweaks://tweaks/start.html"));
    EXPECT_FALSE(IsTweaksUrl(L"http://evil.example/?tweaks:"));
    EXPECT_FALSE(IsTweaksUrl(L"file:///C:/tweaks:/start.html"));
}

}
