#pragma once

// Makes the program's address table (see diagnostics/AddressTable.h) from what binutils print
// of the linked program: its symbols (nm -C -n --defined-only), its DWARF line table
// (objdump --dwarf=decodedline) and its headers (objdump -h -p).

#include "Exception.h"

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

class EAddressTableError : public Exception {
public:
    using Exception::Exception;
};

struct TCodeSymbol {
    std::uint32_t Address = 0;
    std::string Name; // demangled, as nm prints it
};

// One row of the line table. Line 0 marks the end of a sequence: no line from there on.
struct TLineRow {
    std::uint32_t Address = 0;
    std::uint32_t Line = 0;
    std::string FileName;
    std::string UnitName; // of the compilation unit the row belongs to
};

struct TImageLayout {
    std::uint32_t ImageBase = 0;
    std::uint32_t CodeEnd = 0;            // first address after the code
    std::uint32_t NextSectionAddress = 0; // where a section added after the last loaded one goes
};

std::vector<TCodeSymbol> ParseCodeSymbols(std::istream& nmOutput);
std::vector<TLineRow> ParseLineRows(std::istream& decodedLines);
TImageLayout ParseImageLayout(std::istream& headers);

// "TRegistry::ReadString(char const*)@8.cold" gives "TRegistry::ReadString": the demangled
// name without its parameter list, calling-convention suffix, split-off part or ABI tags.
std::string ProcedureName(std::string_view demangled);
// "./src/store/FileArch.cpp" gives "FileArch".
std::string UnitName(std::string_view sourcePath);

std::vector<std::uint8_t> BuildAddressTable(const std::vector<TCodeSymbol>& symbols, std::vector<TLineRow> rows,
                                            const TImageLayout& layout);
