#include "script/RootKeyName.h"

namespace {

// ASCII letters only: the system code page's other letters must not turn into one of ours.
char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::uint32_t HiveAfterC(std::string_view name)
{
    if (name.size() < 4)
        return HiveNone;
    switch (AsciiUpper(name[3])) {
    case 'C': return HiveCurrentConfig;
    case 'R': return HiveClassesRoot;
    case 'U': return HiveCurrentUser;
    default: return HiveNone;
    }
}

}

std::uint32_t RootKeyFromName(std::string_view name)
{
    if (name.size() < 3)
        return HiveNone;
    switch (AsciiUpper(name[2])) {
    case 'C': return HiveAfterC(name);
    case 'D': return HiveDynData;
    case 'L': return HiveLocalMachine;
    case 'P': return HivePerformanceData;
    case 'U': return HiveUsers;
    default: return HiveNone;
    }
}
