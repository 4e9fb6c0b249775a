#include "support/ImportPatch.h"

#include <windows.h>

#include <stdexcept>

namespace {

void WriteSlot(void** slot, void* address)
{
    DWORD protection = 0;
    ::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = address;
    ::VirtualProtect(slot, sizeof *slot, protection, &protection);
}

// Every import address table slot of this program that holds address.
std::vector<void**> SlotsHolding(void* address)
{
    auto* const image = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<void**> slots;
    for (auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image + imports.VirtualAddress); dll->Name != 0;
         ++dll) {
        for (auto** slot = reinterpret_cast<void**>(image + dll->FirstThunk); *slot != nullptr; ++slot) {
            if (*slot == address)
                slots.push_back(slot);
        }
    }
    return slots;
}

}

TImportSlots::TImportSlots(const char* dllName, const char* functionName, void* replacement)
{
    const HMODULE dll = ::GetModuleHandleA(dllName);
    FOriginal = dll ? reinterpret_cast<void*>(::GetProcAddress(dll, functionName)) : nullptr;
    FSlots = FOriginal ? SlotsHolding(FOriginal) : std::vector<void**>();
    if (FSlots.empty())
        throw std::runtime_error(std::string("This program does not import ") + functionName);
    for (void** slot : FSlots)
        WriteSlot(slot, replacement);
}

TImportSlots::~TImportSlots()
{
    for (void** slot : FSlots)
        WriteSlot(slot, FOriginal);
}
