#pragma once

#include <string>

// The program's name as its windows and the browser's user agent show it.
inline constexpr char ProductName[] = "Lumivanta Manager";
// The maker's web domain; every address and token that names the maker is built from it.
inline constexpr char MakerDomain[] = "www.lumivanta.com";

// The token the browser adds to its user-agent string: "Lumivanta Manager [www.lumivanta.com]".
inline std::string UserAgentToken()
{
    return std::string(ProductName) + " [" + MakerDomain + "]";
}
