#pragma once

// The program's own debug information: a compact table from code addresses to procedures and
// source lines, made at build time from the linked program's DWARF line table and symbols
// and carried in the program file as the section ".lvdbg". The platform's debug-help library
// cannot read the DWARF that our compiler writes, so the program reads this table itself.
//
// Layout, all numbers 32-bit little-endian, addresses relative to the image base:
//   "LVAT", version, function count, line count, size of the text block
//   functions: start, end, procedure name, unit name        (sorted by start)
//   lines:     start, line number (0: no line from here on), source file name (sorted by start)
//   text block: NUL-terminated names, found by their offset; offset 0 holds the empty name

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

inline constexpr char AddressTableSection[] = ".lvdbg";
inline constexpr std::uint32_t AddressTableMagic = 0x5441564C; // "LVAT"
inline constexpr std::uint32_t AddressTableVersion = 1;
inline constexpr std::size_t AddressTableHeaderSize = 20;
inline constexpr std::size_t AddressTableFunctionSize = 16;
inline constexpr std::size_t AddressTableLineSize = 12;

// What the debug information knows of one address. An empty UnitName means the procedure's
// module is unknown; Line 0 means its source line is unknown.
struct TSourceLocation {
    std::string UnitName;
    std::string ProcedureName;
    std::uint32_t Line = 0;
    std::string FileName;
};

class TAddressTable {
public:
    TAddressTable() = default;
    // A table that is damaged in any way knows no address at all.
    explicit TAddressTable(std::span<const std::uint8_t> table);

    // The procedure that holds the address, with its source line when the line table has one.
    std::optional<TSourceLocation> Lookup(std::uint32_t relativeAddress) const;
    bool Empty() const { return FFunctionCount == 0; }

private:
    bool Load();
    std::uint32_t Word(std::size_t offset) const;
    std::string Text(std::uint32_t offset) const;
    std::uint32_t FunctionWord(std::uint32_t index, int field) const;
    std::uint32_t LineWord(std::uint32_t index, int field) const;

    std::span<const std::uint8_t> FTable;
    std::uint32_t FFunctionCount = 0;
    std::uint32_t FLineCount = 0;
    std::size_t FFunctions = 0;
    std::size_t FLines = 0;
    std::size_t FTexts = 0;
    std::uint32_t FTextSize = 0;
};

#ifdef _WIN32
// The table carried by the running program file, found through its own section headers; an
// empty table when the program carries none.
const TAddressTable& ProgramAddressTable();
// The address relative to the running program's image, or nothing for an address outside it.
std::optional<std::uint32_t> ProgramRelativeAddress(std::uintptr_t address);
#endif
