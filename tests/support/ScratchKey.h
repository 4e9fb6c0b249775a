#pragma once

// Registry keys that a test makes for itself, and the plain registry calls with which the
// tests set up and check them without going through the code under test.

#include "script/Registry.h"
#include "support/KeptValue.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>


// A key of its own, HKEY_CURRENT_USER\Software\LumivantaTest-<random>, removed with everything
// below it. Relative paths name keys below it; the empty one names the key itself.
class TScratchKey {
public:
    TScratchKey();
    ~TScratchKey();
    TScratchKey(const TScratchKey&) = delete;
    TScratchKey& operator=(const TScratchKey&) = delete;

    // The path below HKEY_CURRENT_USER.
    const std::string& Path() const { return FPath; }
    std::string PathOf(std::string_view relative) const;

    UniqueKey Open(std::string_view relative, REGSAM mask = KEY_ALL_ACCESS) const;
    void MakeKey(std::string_view relative) const;
    // A key that lives only until the registry is unloaded; the platform refuses to make a
    // lasting key below it.
    void MakeVolatileKey(std::string_view relative) const;
    bool HasKey(std::string_view relative) const;
    void SetValue(std::string_view relative, const std::string& name, DWORD type, std::string_view data) const;
    void SetInt(std::string_view relative, const std::string& name, DWORD value) const;
    // Read through a handle that asks only for queries, so keys of restricted access can be read.
    std::optional<TRawValue> Value(std::string_view relative, const std::string& name) const;
    // In the platform's enumeration order.
    std::vector<std::string> ValueNames(std::string_view relative) const;

    // A string value through the wide-character functions, for texts no code page holds;
    // StoredText gives its data as stored, the terminating NUL included.
    void SetText(std::string_view relative, const std::wstring& name, const std::wstring& text) const;
    std::wstring StoredText(std::string_view relative, const std::wstring& name) const;

private:
    std::string FPath;
};

// Grants everyone nothing but the given rights on a key while it lives, then gives the key
// its own access list back through a handle opened while access was still full.
class TRestrictedKey {
public:
    TRestrictedKey(const TScratchKey& scratch, std::string_view relative, DWORD granted);
    ~TRestrictedKey();
    TRestrictedKey(const TRestrictedKey&) = delete;
    TRestrictedKey& operator=(const TRestrictedKey&) = delete;

private:
    UniqueKey FKey;
    std::vector<BYTE> FOwnSecurity;
};

// The message of the ERegistryException that work raises, or "no failure".
template <typename Work>
std::string RegistryFailure(Work&& work)
{
    try {
        work();
    } catch (const ERegistryException& failure) {
        return failure.what();
    }
    return "no failure";
}
