#include "script/ProgramValues.h"

#include <cstdio>

std::string FormatVersionText(std::uint16_t major, std::uint16_t minor)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d%2.2d", major, minor);
    return text;
}

std::string FolderOfPath(std::string_view path, char separator)
{
    const std::size_t end = path.find_last_of(std::string{separator, ':'});
    std::string folder(end == std::string_view::npos ? std::string_view() : path.substr(0, end + 1));
    if (folder.empty() || folder.back() != separator)
        folder += separator;
    return folder;
}

const std::string& ProgramVersionText()
{
    static const std::string text = [] {
        const TProductVersion version = ReadProgramProductVersion();
        return FormatVersionText(version.Major, version.Minor);
    }();
    return text;
}

std::int32_t ProgramVersion()
{
    static const std::int32_t version = std::stoi(ProgramVersionText());
    return version;
}
