#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The tray menu's left margin: one-pixel columns from x = 0 to x = TrayMarginWidth, both included,
// at 96 DPI; at another DPI the width is scaled and columns from 0 to the scaled width are drawn.
inline constexpr int TrayMarginWidth = 20;

// The colour (red in the lowest byte) of column x of a margin of the given width: 0x22DD22 at
// the right edge, only the green part falling to the left, to 101 at x = 0. At 96 DPI it falls
// by 6 a column (0x600); a wider margin spreads the same fall over its columns, rounded.
std::uint32_t TrayMarginColour(int x, int marginWidth = TrayMarginWidth);

// The maker's pages the tray menu opens, each tagged with the program's version text.
std::string TrayHomepageUrl(std::string_view versionText);
std::string TrayContactUrl(std::string_view versionText);

// The auto-start value: "LumivantaMgr" under HKEY_CURRENT_USER's Run key.
inline constexpr char AutoStartKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char AutoStartValueName[] = "LumivantaMgr";

// The Run value that starts the program with the tray only. The path is quoted: unquoted, a
// path with blanks would let Windows start whatever program sits at the first blank.
std::string AutoStartCommand(std::string_view programPath);
// The program a Run value starts: the quoted path, or the whole text before " -hidden" in the
// unquoted form that older versions wrote.
std::string AutoStartProgram(std::string_view command);
