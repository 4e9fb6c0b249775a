#include "diagnostics/AddressTable.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {

const IMAGE_NT_HEADERS* ProgramHeaders(const std::uint8_t* base)
{
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

const std::uint8_t* ProgramBase()
{
    return reinterpret_cast<const std::uint8_t*>(::GetModuleHandleA(nullptr));
}

TAddressTable LoadProgramAddressTable()
{
    const std::uint8_t* base = ProgramBase();
    const IMAGE_NT_HEADERS* headers = ProgramHeaders(base);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
    for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section) {
        if (std::memcmp(section->Name, AddressTableSection, sizeof AddressTableSection) != 0)
            continue;
        // The loader maps the section's file bytes and fills the rest of its pages with zeros.
        const DWORD size = std::min(section->Misc.VirtualSize, section->SizeOfRawData);
        return TAddressTable({base + section->VirtualAddress, size});
    }
    return TAddressTable();
}

} // namespace

const TAddressTable& ProgramAddressTable()
{
    static const TAddressTable table = LoadProgramAddressTable();
    return table;
}

std::optional<std::uint32_t> ProgramRelativeAddress(std::uintptr_t address)
{
    const std::uint8_t* base = ProgramBase();
    const auto start = reinterpret_cast<std::uintptr_t>(base);
    if (address < start || address - start >= ProgramHeaders(base)->OptionalHeader.SizeOfImage)
        return std::nullopt;
    return static_cast<std::uint32_t>(address - start);
}
