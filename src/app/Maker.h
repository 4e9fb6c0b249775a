#pragma once

#include <string>

// The program's name as its windows and the browser's user agent show it.
inline constexpr char ProductName[] = "Lumivanta Manager";
// The maker's web domain; every address and token that names the maker is built from it.
inline constexpr char MakerDomain[] = "www.lumivanta.com";

// Where the program keeps its settings, under HKEY_CURRENT_USER.
inline constexpr char SettingsKey[] = "SOFTWARE\\Lumivanta Manager";

// The key under HKEY_CURRENT_USER whose value names are added to the browser's user agent.
inline constexpr char UserAgentTokenKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";

// The token the browser adds to its user-agent string: "Lumivanta Manager [www.lumivanta.com]".
inline std::string UserAgentToken()
{
    return std::string(ProductName) + " [" + MakerDomain + "]";
}
