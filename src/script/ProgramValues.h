#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Process-wide values about the program file, worked out once on first use (start-up asks
// for them before the content manager exists) and unchanged afterwards.
const std::string& ProgramFileName();
// The folder of ProgramFileName with a trailing separator ("\" on Windows, "/" elsewhere).
const std::string& ProgramFolder();
// Product major number followed by the two-digit minor number: 1.0 gives 100.
std::int32_t ProgramVersion();
const std::string& ProgramVersionText();

// "%d%2.2d" of the product version's major and minor numbers.
std::string FormatVersionText(std::uint16_t major, std::uint16_t minor);

// The part of path up to and including its last separator or drive colon, with a
// separator added when it does not end in one.
std::string FolderOfPath(std::string_view path, char separator);

struct TProductVersion {
    std::uint16_t Major = 0;
    std::uint16_t Minor = 0;
};

// The running program file's product version; 0.0 when it carries no version resource.
TProductVersion ReadProgramProductVersion();

#ifdef _WIN32
// The reader of a file's version resource; only the product version's major and minor
// numbers (dwProductVersionMS) are used.
class TVersionInfo {
public:
    explicit TVersionInfo(const std::string& fileName);
    bool Valid() const { return FValid; }
    TProductVersion ProductVersion() const;

private:
    std::string FFileName;
    std::string FBlock;
    bool FValid = false;
};
#endif
