#include "app/TrayRules.h"

#include "app/Maker.h"
#include "dialogs/DpiScale.h"

namespace {

constexpr std::uint32_t RightColumnColour = 0x22DD22;
// One step of green, and the steps green falls from the right edge to the left one.
constexpr std::uint32_t GreenStep = 0x100;
constexpr int GreenFall = 6 * TrayMarginWidth;

std::string MakerPage(std::string_view pathAndQuery, std::string_view versionText)
{
    return std::string("http://") + MakerDomain + std::string(pathAndQuery) + std::string(versionText);
}

}

std::uint32_t TrayMarginColour(int x, int marginWidth)
{
    const int fall = MulDivRounded(marginWidth - x, GreenFall, marginWidth);
    return RightColumnColour - static_cast<std::uint32_t>(fall) * GreenStep;
}

std::string TrayHomepageUrl(std::string_view versionText)
{
    return MakerPage("/?ref=managertray", versionText);
}

std::string TrayContactUrl(std::string_view versionText)
{
    return MakerPage("/contacts.php?ref=managertray", versionText);
}

std::string AutoStartCommand(std::string_view programPath)
{
    return "\"" + std::string(programPath) + "\" -hidden";
}

std::string AutoStartProgram(std::string_view command)
{
    if (command.starts_with('"'))
        return std::string(command.substr(1, command.find('"', 1) - 1));
    constexpr std::string_view HiddenSwitch = " -hidden";
    if (command.ends_with(HiddenSwitch))
        command.remove_suffix(HiddenSwitch.size());
    return std::string(command);
}
