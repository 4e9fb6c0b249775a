#include "diagnostics/AddressTable.h"

#include <cstring>

TAddressTable::TAddressTable(std::span<const std::uint8_t> table) : FTable(table)
{
    if (!Load())
        *this = TAddressTable();
}

std::uint32_t TAddressTable::Word(std::size_t offset) const
{
    const std::uint8_t* bytes = FTable.data() + offset;
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::uint32_t TAddressTable::FunctionWord(std::uint32_t index, int field) const
{
    return Word(FFunctions + std::size_t{index} * AddressTableFunctionSize + field * 4);
}

std::uint32_t TAddressTable::LineWord(std::uint32_t index, int field) const
{
    return Word(FLines + std::size_t{index} * AddressTableLineSize + field * 4);
}

std::string TAddressTable::Text(std::uint32_t offset) const
{
    return reinterpret_cast<const char*>(FTable.data() + FTexts + offset);
}

// Every count, name offset and order is checked once here, so that lookups need no checks.
bool TAddressTable::Load()
{
    if (FTable.size() < AddressTableHeaderSize || Word(0) != AddressTableMagic || Word(4) != AddressTableVersion)
        return false;
    FFunctionCount = Word(8);
    FLineCount = Word(12);
    FTextSize = Word(16);
    const std::uint64_t needed = AddressTableHeaderSize + std::uint64_t{FFunctionCount} * AddressTableFunctionSize +
                                 std::uint64_t{FLineCount} * AddressTableLineSize + FTextSize;
    if (needed > FTable.size() || FTextSize == 0)
        return false;
    FFunctions = AddressTableHeaderSize;
    FLines = FFunctions + std::size_t{FFunctionCount} * AddressTableFunctionSize;
    FTexts = FLines + std::size_t{FLineCount} * AddressTableLineSize;
    if (FTable[FTexts] != 0 || FTable[FTexts + FTextSize - 1] != 0)
        return false;
    for (std::uint32_t i = 0; i < FFunctionCount; ++i) {
        const bool ordered = i == 0 || FunctionWord(i - 1, 0) <= FunctionWord(i, 0);
        if (!ordered || FunctionWord(i, 1) < FunctionWord(i, 0) || FunctionWord(i, 2) >= FTextSize ||
            FunctionWord(i, 3) >= FTextSize)
            return false;
    }
    for (std::uint32_t i = 0; i < FLineCount; ++i) {
        const bool ordered = i == 0 || LineWord(i - 1, 0) <= LineWord(i, 0);
        if (!ordered || LineWord(i, 2) >= FTextSize)
            return false;
    }
    return true;
}

std::optional<TSourceLocation> TAddressTable::Lookup(std::uint32_t relativeAddress) const
{
    // The last entry that starts at or before the address, by bisection.
    auto lastAtOrBefore = [relativeAddress](std::uint32_t count, auto start) -> std::optional<std::uint32_t> {
        std::uint32_t low = 0, high = count;
        while (low < high) {
            const std::uint32_t middle = low + (high - low) / 2;
            if (start(middle) <= relativeAddress)
                low = middle + 1;
            else
                high = middle;
        }
        if (low == 0)
            return std::nullopt;
        return low - 1;
    };
    const auto function = lastAtOrBefore(FFunctionCount, [this](std::uint32_t i) { return FunctionWord(i, 0); });
    if (!function || relativeAddress >= FunctionWord(*function, 1))
        return std::nullopt;
    TSourceLocation location;
    location.ProcedureName = Text(FunctionWord(*function, 2));
    location.UnitName = Text(FunctionWord(*function, 3));
    const auto line = lastAtOrBefore(FLineCount, [this](std::uint32_t i) { return LineWord(i, 0); });
    if (line && LineWord(*line, 1) != 0) {
        location.Line = LineWord(*line, 1);
        location.FileName = Text(LineWord(*line, 2));
    }
    return location;
}
