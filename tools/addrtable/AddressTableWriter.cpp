#include "AddressTableWriter.h"

#include "diagnostics/AddressTable.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <sstream>

namespace {

bool ParseHex(std::string_view text, std::uint32_t& value)
{
    if (text.starts_with("0x"))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 8)
        return false;
    value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value << 4 | digit;
    }
    return true;
}

bool ParseDecimal(std::string_view text, std::uint32_t& value)
{
    if (text.empty() || text.size() > 9)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

std::vector<std::string> ReadLines(std::istream& input)
{
    std::vector<std::string> lines;
    for (std::string line; std::getline(input, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string_view WithoutSuffix(std::string_view name)
{
    // "f() [clone .cold]": the part of f that the compiler moved away from its hot path.
    while (name.ends_with(']')) {
        const auto clone = name.rfind(" [clone ");
        if (clone == std::string_view::npos)
            break;
        name.remove_suffix(name.size() - clone);
    }
    if (name.ends_with(".cold"))
        name.remove_suffix(5);
    const auto at = name.rfind('@');
    if (at != std::string_view::npos && at + 1 < name.size() &&
        name.find_first_not_of("0123456789", at + 1) == std::string_view::npos)
        name.remove_suffix(name.size() - at);
    return name;
}

// The rows sorted by address; of rows at one address the last that names a line wins, and a
// row that repeats the line of the row before it adds nothing.
std::vector<TLineRow> Condense(std::vector<TLineRow> rows)
{
    std::stable_sort(rows.begin(), rows.end(),
                     [](const TLineRow& a, const TLineRow& b) { return a.Address < b.Address; });
    std::vector<TLineRow> condensed;
    for (auto& row : rows) {
        if (!condensed.empty() && condensed.back().Address == row.Address) {
            if (row.Line != 0)
                condensed.back() = std::move(row);
            continue;
        }
        if (!condensed.empty() && condensed.back().Line == row.Line && condensed.back().FileName == row.FileName)
            continue;
        condensed.push_back(std::move(row));
    }
    return condensed;
}

class TTableBuilder {
public:
    std::uint32_t Text(const std::string& text)
    {
        const auto [found, added] = FOffsets.try_emplace(text, static_cast<std::uint32_t>(FTexts.size()));
        if (added)
            FTexts.insert(FTexts.end(), text.c_str(), text.c_str() + text.size() + 1);
        return found->second;
    }
    void Word(std::uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            FWords.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    std::vector<std::uint8_t> Finish(std::uint32_t functionCount, std::uint32_t lineCount)
    {
        std::vector<std::uint8_t> table;
        FWords.swap(table);
        Word(AddressTableMagic);
        Word(AddressTableVersion);
        Word(functionCount);
        Word(lineCount);
        Word(static_cast<std::uint32_t>(FTexts.size()));
        FWords.insert(FWords.end(), table.begin(), table.end());
        FWords.insert(FWords.end(), FTexts.begin(), FTexts.end());
        return std::move(FWords);
    }

private:
    std::map<std::string, std::uint32_t> FOffsets{{"", 0}};
    std::vector<std::uint8_t> FTexts{0};
    std::vector<std::uint8_t> FWords;
};

} // namespace

std::vector<TCodeSymbol> ParseCodeSymbols(std::istream& nmOutput)
{
    std::vector<TCodeSymbol> symbols;
    for (const auto& line : ReadLines(nmOutput)) {
        // "00401000 T name with blanks"
        TCodeSymbol symbol;
        if (line.size() < 12 || line[8] != ' ' || line[10] != ' ' || !ParseHex(line.substr(0, 8), symbol.Address))
            continue;
        if ((line[9] != 'T' && line[9] != 't') || line[11] == '.')
            continue;
        symbol.Name = line.substr(11);
        symbols.push_back(std::move(symbol));
    }
    return symbols;
}

std::vector<TLineRow> ParseLineRows(std::istream& decodedLines)
{
    const auto lines = ReadLines(decodedLines);
    std::vector<TLineRow> rows;
    std::string unit;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        // A compilation unit starts with its name and a colon, followed by the column titles.
        if (line.ends_with(':') && i + 1 < lines.size() && lines[i + 1].starts_with("File name")) {
            unit = UnitName(std::string_view(line).substr(0, line.size() - 1));
            continue;
        }
        std::istringstream fields(line);
        std::string fileName, lineText, addressText;
        TLineRow row;
        if (!(fields >> fileName >> lineText >> addressText) || !ParseHex(addressText, row.Address))
            continue;
        if (lineText != "-" && !ParseDecimal(lineText, row.Line))
            continue;
        if (lineText != "-" && row.Line == 0)
            continue;
        row.FileName = std::move(fileName);
        row.UnitName = unit;
        rows.push_back(std::move(row));
    }
    return rows;
}

TImageLayout ParseImageLayout(std::istream& headers)
{
    TImageLayout layout;
    std::uint32_t baseOfCode = 0, sizeOfCode = 0, alignment = 0, loadedEnd = 0;
    bool haveBase = false, haveCode = false;
    const auto lines = ReadLines(headers);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::istringstream fields(lines[i]);
        std::string first, second, third, fourth;
        fields >> first >> second;
        std::uint32_t value = 0;
        if (first == "ImageBase" && ParseHex(second, value))
            layout.ImageBase = value, haveBase = true;
        else if (first == "BaseOfCode" && ParseHex(second, value))
            baseOfCode = value;
        else if (first == "SizeOfCode" && ParseHex(second, value))
            sizeOfCode = value, haveCode = true;
        else if (first == "SectionAlignment" && ParseHex(second, value))
            alignment = value;
        // "  9 .reloc  0000025c  0040a000  0040a000  00003800  2**2", then its flags.
        std::uint32_t index = 0, size = 0, address = 0;
        if (ParseDecimal(first, index) && second.starts_with(".") && fields >> third >> fourth &&
            ParseHex(third, size) && ParseHex(fourth, address) && i + 1 < lines.size() &&
            lines[i + 1].find("ALLOC") != std::string::npos)
            loadedEnd = std::max(loadedEnd, address + size);
    }
    if (!haveBase || !haveCode || alignment == 0 || loadedEnd == 0)
        throw EAddressTableError("the headers name no image base, code size, section alignment or loaded section");
    layout.CodeEnd = layout.ImageBase + baseOfCode + sizeOfCode;
    layout.NextSectionAddress = (loadedEnd + alignment - 1) / alignment * alignment;
    return layout;
}

namespace {

std::string_view WithoutParameters(std::string_view name)
{
    while (name.ends_with(" const") || name.ends_with(" volatile"))
        name.remove_suffix(name.ends_with(" const") ? 6 : 9);
    if (!name.ends_with(')'))
        return name;
    int depth = 0;
    for (std::size_t i = name.size(); i-- > 0;) {
        if (name[i] == ')')
            ++depth;
        else if (name[i] == '(' && --depth == 0)
            return i == 0 ? name : name.substr(0, i);
    }
    return name;
}

}

std::string ProcedureName(std::string_view demangled)
{
    std::string name(WithoutParameters(WithoutSuffix(demangled)));
    // The library's ABI tags ("GetText[abi:cxx11]", for a function returning a string) say
    // nothing to a reader of the log.
    for (std::size_t tag; (tag = name.find("[abi:")) != std::string::npos;)
        name.erase(tag, name.find(']', tag) - tag + 1);
    return name;
}

std::string UnitName(std::string_view sourcePath)
{
    const auto slash = sourcePath.find_last_of("/\\");
    if (slash != std::string_view::npos)
        sourcePath.remove_prefix(slash + 1);
    const auto dot = sourcePath.rfind('.');
    if (dot != std::string_view::npos && dot > 0)
        sourcePath.remove_suffix(sourcePath.size() - dot);
    return std::string(sourcePath);
}

std::vector<std::uint8_t> BuildAddressTable(const std::vector<TCodeSymbol>& symbols, std::vector<TLineRow> rows,
                                            const TImageLayout& layout)
{
    auto inImage = [&layout](std::uint32_t address) {
        return address >= layout.ImageBase && address < layout.CodeEnd;
    };
    std::erase_if(rows, [&](const TLineRow& row) { return !inImage(row.Address); });
    rows = Condense(std::move(rows));

    std::vector<TCodeSymbol> sorted;
    std::copy_if(symbols.begin(), symbols.end(), std::back_inserter(sorted),
                 [&](const TCodeSymbol& symbol) { return inImage(symbol.Address); });
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const TCodeSymbol& a, const TCodeSymbol& b) { return a.Address < b.Address; });
    std::vector<TCodeSymbol> functions;
    for (auto& symbol : sorted) {
        // Of several names for one address, the longest tells the most.
        if (!functions.empty() && functions.back().Address == symbol.Address) {
            if (symbol.Name.size() > functions.back().Name.size())
                functions.back().Name = std::move(symbol.Name);
            continue;
        }
        functions.push_back(std::move(symbol));
    }

    TTableBuilder table;
    for (std::size_t i = 0; i < functions.size(); ++i) {
        const std::uint32_t start = functions[i].Address;
        const std::uint32_t end = i + 1 < functions.size() ? functions[i + 1].Address : layout.CodeEnd;
        const auto row = std::upper_bound(rows.begin(), rows.end(), start,
                                          [](std::uint32_t address, const TLineRow& r) { return address < r.Address; });
        const bool covered = row != rows.begin() && std::prev(row)->Line != 0;
        table.Word(start - layout.ImageBase);
        table.Word(end - layout.ImageBase);
        table.Word(table.Text(ProcedureName(functions[i].Name)));
        table.Word(table.Text(covered ? std::prev(row)->UnitName : std::string()));
    }
    for (const auto& row : rows) {
        table.Word(row.Address - layout.ImageBase);
        table.Word(row.Line);
        table.Word(table.Text(row.Line != 0 ? row.FileName : std::string()));
    }
    return table.Finish(static_cast<std::uint32_t>(functions.size()), static_cast<std::uint32_t>(rows.size()));
}
