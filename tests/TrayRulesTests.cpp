// The tray menu's margin colours, web links and Run value.
#include "app/TrayRules.h"
#include "script/ProgramValues.h"

#include <gtest/gtest.h>

#include <array>

TEST(TrayMarginColour, FallsBy0x600PerColumnFromTheRightEdge)
{
    EXPECT_EQ(TrayMarginColour(20), 0x22DD22u);
    EXPECT_EQ(TrayMarginColour(19), 0x22D722u);
    EXPECT_EQ(TrayMarginColour(0), 0x226522u);
    for (int x = 0; x <= TrayMarginWidth; ++x) {
        const std::uint32_t colour = TrayMarginColour(x);
        EXPECT_EQ(colour & 0xFF, 34u) << "red of column " << x;
        EXPECT_EQ(colour >> 16, 34u) << "blue of column " << x;
        EXPECT_EQ((colour >> 8) & 0xFF, 101u + 6u * static_cast<unsigned>(x)) << "green of column " << x;
    }
}

TEST(TrayMarginColour, AWiderMarginSpreadsTheSameColoursOverItsColumns)
{
    for (const int width : {30, 40})
        EXPECT_EQ((std::array{TrayMarginColour(width, width), TrayMarginColour(width / 2, width), TrayMarginColour(0, width)}),
                  (std::array{0x22DD22u, TrayMarginColour(10), 0x226522u})) << "right edge, middle, left edge";
    EXPECT_EQ(TrayMarginColour(29, 30), 0x22D922u) << "green falls by 4 a column at 144 DPI";
}

TEST(TrayLinks, CarryTheVersionTextAfterTheReference)
{
    EXPECT_EQ(TrayHomepageUrl(FormatVersionText(1, 5)), "http://www.lumivanta.com/?ref=managertray105");
    EXPECT_EQ(TrayHomepageUrl(FormatVersionText(12, 34)), "http://www.lumivanta.com/?ref=managertray1234");
    EXPECT_EQ(TrayHomepageUrl(FormatVersionText(1, 100)), "http://www.lumivanta.com/?ref=managertray1100");
    EXPECT_EQ(TrayContactUrl(FormatVersionText(1, 5)), "http://www.lumivanta.com/contacts.php?ref=managertray105");
    EXPECT_EQ(TrayContactUrl(FormatVersionText(12, 34)),
              "http://www.lumivanta.com/contacts.php?ref=managertray1234");
    EXPECT_EQ(TrayContactUrl(FormatVersionText(1, 100)),
              "http://www.lumivanta.com/contacts.php?ref=managertray1100");
}

TEST(TrayAutoStartCommand, QuotesThePathAddsTheHiddenSwitchAndReadsEitherFormBack)
{
    const std::string path = "C:\\Users\\Ann Lee\\Lumivanta Manager\\LumivantaManager.exe";
    EXPECT_EQ(AutoStartProgram(AutoStartCommand(path)), path);
    EXPECT_EQ(AutoStartProgram(path + " -hidden"), path);
    EXPECT_EQ(AutoStartCommand("C:\\Tools\\LumivantaManager.exe"), "\"C:\\Tools\\LumivantaManager.exe\" -hidden");
    EXPECT_EQ(AutoStartCommand("C:\\Program Files\\Lumivanta Manager\\LumivantaManager.exe"),
              "\"C:\\Program Files\\Lumivanta Manager\\LumivantaManager.exe\" -hidden");
}
