#pragma once

// One registry value under HKEY_CURRENT_USER kept as it was: window tests write the program's
// own values (placement, user-agent token, Run entry) and must leave them as they found them.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

struct TRawValue {
    DWORD Type;
    std::string Data;
};

std::optional<TRawValue> ReadValue(const char* path, const char* name);
void WriteValue(const char* path, const char* name, DWORD type, const std::string& data);
void DeleteValue(const char* path, const char* name);
bool HasKey(const std::string& path);

// Keeps one value under HKEY_CURRENT_USER as it is now and puts it back when it ends: the value
// is written again or removed, and the keys on its path that did not exist are removed again,
// deepest first (only while empty of subkeys, so nothing of anyone else goes).
class TKeptValue {
public:
    TKeptValue(std::string path, std::string name) : FPath(std::move(path)), FName(std::move(name))
    {
        FBefore = ReadValue(FPath.c_str(), FName.c_str());
        for (std::size_t end = FPath.size(); end != std::string::npos && !HasKey(FPath.substr(0, end));
             end = FPath.rfind('\\', end - 1))
            FMissingKeys.push_back(FPath.substr(0, end));
    }
    ~TKeptValue()
    {
        if (FBefore)
            WriteValue(FPath.c_str(), FName.c_str(), FBefore->Type, FBefore->Data);
        else
            DeleteValue(FPath.c_str(), FName.c_str());
        for (const std::string& key : FMissingKeys)
            ::RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    }
    TKeptValue(const TKeptValue&) = delete;
    TKeptValue& operator=(const TKeptValue&) = delete;

private:
    std::string FPath;
    std::string FName;
    std::optional<TRawValue> FBefore;
    std::vector<std::string> FMissingKeys;
};
