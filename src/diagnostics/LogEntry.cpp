#include "diagnostics/LogEntry.h"

#include <cstdio>

namespace {

constexpr std::string_view LineEnd = "\r\n";

// Lines as a text editor sees them: ended by CR LF, CR or LF; a final line end adds no line.
// A plain scan: the older content is up to a megabyte, split at every write.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    const char* const end = text.data() + text.size();
    for (const char* start = text.data(); start < end;) {
        const char* stop = start;
        while (stop < end && *stop != '\r' && *stop != '\n')
            ++stop;
        lines.emplace_back(start, static_cast<std::size_t>(stop - start));
        if (stop == end)
            break;
        start = stop + (*stop == '\r' && stop + 1 < end && stop[1] == '\n' ? 2 : 1);
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

// Each step of adding entries one by one only drops older lines from the end, and the room for
// them only shrinks from step to step: the last step alone decides what stays below the newest
// entry, so it runs once over all that the earlier steps would have put there.
std::string ComposeLogFileOfEntries(const std::vector<std::vector<std::string>>& entries,
                                    const std::optional<std::string>& olderContent, std::size_t capacity)
{
    if (entries.empty())
        return olderContent.value_or(std::string());
    if (entries.size() == 1)
        return ComposeLogFile(entries.front(), olderContent, capacity);
    std::string below;
    for (std::size_t i = entries.size() - 1; i-- > 0;) {
        for (const auto& line : entries[i])
            below.append(line).append(LineEnd);
        if (i > 0)
            below.append(LineEnd).append(LineEnd);
    }
    if (olderContent && !olderContent->empty())
        below.append(LineEnd).append(LineEnd).append(*olderContent);
    return ComposeLogFile(entries.back(), below, capacity);
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
