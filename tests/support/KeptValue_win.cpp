#include "support/KeptValue.h"

#include "script/Registry.h"

#include <gtest/gtest.h>

std::optional<TRawValue> ReadValue(const char* path, const char* name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    const UniqueKey owned(key);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::string data(size, '\0');
    ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    data.resize(size);
    return TRawValue{type, data};
}

void WriteValue(const char* path, const char* name, DWORD type, const std::string& data)
{
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const UniqueKey owned(key);
    ASSERT_EQ(::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                               static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

void DeleteValue(const char* path, const char* name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    const UniqueKey owned(key);
    ::RegDeleteValueA(key, name);
}

bool HasKey(const std::string& path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}
