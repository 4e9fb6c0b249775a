#include "store/StrNum.h"

std::string NumToStr2(std::int32_t number)
{
    const auto bits = static_cast<std::uint32_t>(number);
    std::string prefix(2, ' ');
    prefix[0] = static_cast<char>(static_cast<std::uint8_t>(32 + (bits >> 7)));
    prefix[1] = static_cast<char>(static_cast<std::uint8_t>(32 + (bits & 127)));
    return prefix;
}

std::optional<std::int32_t> Str2ToNum(std::string_view key)
{
    if (key.size() < 2)
        return std::nullopt;
    const int high = static_cast<std::uint8_t>(key[0]) - 32;
    const int low = static_cast<std::uint8_t>(key[1]) - 32;
    if (high < 0 || high > (MaxFolderNumber >> 7) || low < 0 || low > 127)
        return std::nullopt;
    return high << 7 | low;
}
