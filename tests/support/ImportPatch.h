#pragma once

// Lets a test step in between the code under test and one system function that this program
// imports: while a TImportPatch lives, the program's calls of that function reach the
// replacement, which can record them or change the registry at an exact moment and then call
// the original. Only this program's own import table changes; the system's DLLs are untouched.

#include <vector>

class TImportSlots {
public:
    TImportSlots(const char* dllName, const char* functionName, void* replacement);
    ~TImportSlots();
    TImportSlots(const TImportSlots&) = delete;
    TImportSlots& operator=(const TImportSlots&) = delete;

    void* Original() const { return FOriginal; }

private:
    void* FOriginal = nullptr;
    std::vector<void**> FSlots;
};

template <typename Function>
class TImportPatch {
public:
    TImportPatch(const char* dllName, const char* functionName, Function* replacement)
        : FSlots(dllName, functionName, reinterpret_cast<void*>(replacement))
    {
    }

    Function* Original() const { return reinterpret_cast<Function*>(FSlots.Original()); }

private:
    TImportSlots FSlots;
};
