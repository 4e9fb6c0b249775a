#pragma once

#include "script/Registry.h"

#include <cstdint>
#include <string>

// One complete operation on SharedRegistry: the hive is set when it begins and the key is
// closed when it ends, also when the work in between fails, so no key stays open between
// two operations.
class TSharedRegistryOperation {
public:
    explicit TSharedRegistryOperation(HKEY hive);
    ~TSharedRegistryOperation();
    TSharedRegistryOperation(const TSharedRegistryOperation&) = delete;
    TSharedRegistryOperation& operator=(const TSharedRegistryOperation&) = delete;

    TRegistry& Registry() const { return FRegistry; }

private:
    TRegistry& FRegistry;
};

// One-call registry helpers on SharedRegistry. The reads open the key for reading; a key
// that does not open gives "" or 0 (or the fallback), and a value of a kind the read cannot
// deliver fails with ERegistryException. The writes open an existing key with full access
// and give whether they wrote; none of them makes a missing key.

std::wstring RegGetString(HKEY hive, const TRegText& key, const TRegText& name);
// The fallback when the key does not open or has no such value; else the integer value is not 0.
bool RegGetBool(HKEY hive, const TRegText& key, const TRegText& name, bool fallback);
// An integer value, or a binary one of up to 4 bytes read little-endian (the bytes it does
// not cover are 0); a value of any other kind, or none, gives 0.
std::int32_t RegGetInt(HKEY hive, const TRegText& key, const TRegText& name);

bool RegPutString(HKEY hive, const TRegText& key, const TRegText& name, const TRegText& text);
bool RegPutBool(HKEY hive, const TRegText& key, const TRegText& name, bool value);
// Keeps the value's kind: a binary value gets the 4 bytes little-endian, a string of either
// kind stays unchanged (and the result is false), anything else becomes an integer value.
bool RegPutInt(HKEY hive, const TRegText& key, const TRegText& name, std::int32_t value);

bool RegHasValue(HKEY hive, const TRegText& key, const TRegText& name);
void RegDropValue(HKEY hive, const TRegText& key, const TRegText& name);
