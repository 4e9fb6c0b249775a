#include "diagnostics/LogEntry.h"

#include <cstdio>

namespace {

constexpr std::string_view LineEnd = "\r\n";

// Lines as a text editor sees them: ended by CR LF, CR or LF; a final line end adds no line.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, LineEnd) == 0 ? 2 : 1);
    }
    return lines;
}

std::size_t LinesSize(const std::vector<std::string_view>& lines, std::size_t count)
{
    std::size_t size = 0;
    for (std::size_t i = 0; i < count; ++i)
        size += lines[i].size() + LineEnd.size();
    return size;
}

// How many of the older lines are kept: all of them when they fit, otherwise the lines up to
// the end of the last whole entry that fits. Entries are separated by two empty lines.
std::size_t LinesThatFit(const std::vector<std::string_view>& lines, std::size_t room)
{
    if (LinesSize(lines, lines.size()) <= room)
        return lines.size();
    std::size_t kept = 0;
    std::size_t size = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool entryEnds = i > 0 && !lines[i - 1].empty() && lines[i].empty() && i + 1 < lines.size() &&
                               lines[i + 1].empty();
        if (entryEnds && size <= room)
            kept = i;
        size += lines[i].size() + LineEnd.size();
        if (size > room)
            break;
    }
    return kept;
}

} // namespace

std::string HexAddress(std::uintptr_t address)
{
    char text[24];
    std::snprintf(text, sizeof text, "%08llX", static_cast<unsigned long long>(address));
    return text;
}

std::string FormatPlace(std::uintptr_t address, const std::optional<TSourceLocation>& location)
{
    if (location && location->Line != 0)
        return "in " + location->ProcedureName + " at " + std::to_string(location->Line) + " in file " +
               location->FileName;
    return "at address " + HexAddress(address);
}

std::string FormatFrameLine(const TStackFrame& frame)
{
    std::string line = "[" + HexAddress(frame.Address) + "]";
    if (!frame.Location)
        return line;
    const TSourceLocation& location = *frame.Location;
    line += ' ';
    if (!location.UnitName.empty())
        line += location.UnitName + ".";
    line += location.ProcedureName;
    if (location.Line != 0 && !location.UnitName.empty())
        line += " (Line " + std::to_string(location.Line) + ", \"" + location.FileName + "\")";
    return line;
}

std::vector<std::string> FormatLogEntry(const TExceptionReport& report)
{
    std::vector<std::string> entry;
    entry.push_back(report.DateTime + " Exception " + report.ClassName + " occured " +
                    FormatPlace(report.Address, report.Location));
    if (report.Message)
        entry.push_back("Message: " + *report.Message);
    if (report.Stack) {
        entry.push_back("Call stack: ");
        for (const auto& frame : *report.Stack)
            entry.push_back(FormatFrameLine(frame));
    }
    return entry;
}

std::string ComposeLogFile(const std::vector<std::string>& entry, const std::optional<std::string>& olderContent,
                           std::size_t capacity)
{
    std::string content;
    for (const auto& line : entry)
        content.append(line).append(LineEnd);
    if (!olderContent)
        return content;
    const auto older = SplitLines(*olderContent);
    const std::size_t separator = 2 * LineEnd.size();
    const std::size_t room = content.size() + separator < capacity ? capacity - content.size() - separator : 0;
    const std::size_t kept = LinesThatFit(older, room);
    if (kept == 0)
        return content;
    content.append(LineEnd).append(LineEnd);
    for (std::size_t i = 0; i < kept; ++i)
        content.append(older[i]).append(LineEnd);
    return content;
}

std::string SystemExceptionClassName(std::uint32_t code)
{
    switch (code) {
    case 0xC0000005: return "EAccessViolation";
    case 0xC00000FD: return "EStackOverflow";
    case 0xC0000094: return "EDivByZero";
    case 0xC0000095: return "EIntOverflow";
    case 0xC000008C: return "ERangeError";
    case 0xC000008E: return "EZeroDivide";
    case 0xC000008F:
    case 0xC0000090: return "EInvalidOp";
    case 0xC0000091: return "EOverflow";
    case 0xC0000093: return "EUnderflow";
    case 0xC0000096: return "EPrivilege";
    default: return "EExternalException";
    }
}
