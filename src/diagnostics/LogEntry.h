#pragma once

// The text of the exception log: the lines of one entry, and the file that holds the entries,
// newest first. Pure functions, so that the format is tested without raising anything.

#include "diagnostics/AddressTable.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Past this size the oldest entries are dropped whole.
inline constexpr std::size_t LogFileCapacity = 1024 * 1024;

struct TStackFrame {
    std::uintptr_t Address = 0;
    std::optional<TSourceLocation> Location;
};

// What the log says of one exception.
struct TExceptionReport {
    std::string DateTime; // as the system's short date and long time formats render it
    std::string ClassName;
    std::optional<std::string> Message; // only for the program's own exception class
    std::uintptr_t Address = 0;
    std::optional<TSourceLocation> Location;
    std::optional<std::vector<TStackFrame>> Stack; // nothing when stack tracking is off
};

// Eight uppercase hexadecimal digits, no prefix.
std::string HexAddress(std::uintptr_t address);
// "in %s at %d in file %s" when the line is known, otherwise "at address %p".
std::string FormatPlace(std::uintptr_t address, const std::optional<TSourceLocation>& location);
// "[%p]", followed by the unit, procedure, line and file as far as they are known.
std::string FormatFrameLine(const TStackFrame& frame);
std::vector<std::string> FormatLogEntry(const TExceptionReport& report);

// The whole log file after adding an entry: the entry, then (when appending to an existing
// log) two empty lines and the older lines; each line ends with CR LF. Older entries that do
// not fit into capacity are dropped whole, from the oldest.
std::string ComposeLogFile(const std::vector<std::string>& entry, const std::optional<std::string>& olderContent,
                           std::size_t capacity = LogFileCapacity);
// The same after adding several entries, oldest first, in one step: what adding them one by one
// would give, at the price of one pass over the older content.
std::string ComposeLogFileOfEntries(const std::vector<std::vector<std::string>>& entries,
                                    const std::optional<std::string>& olderContent,
                                    std::size_t capacity = LogFileCapacity);

// The class name under which a system exception is logged.
std::string SystemExceptionClassName(std::uint32_t code);
