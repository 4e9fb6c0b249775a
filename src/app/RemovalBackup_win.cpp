#include "app/RemovalBackup.h"

#include "script/Registry.h"

#include <vector>

namespace {

struct TRootName {
    HKEY Root;
    const char* Name;
};
// HKEY_CLASSES_ROOT first: writing there lands in the user's own classes where a key is there
// already, and the user's own copy, put back second, is the one that must win.
const TRootName Roots[] = {{HKEY_CLASSES_ROOT, "HKCR"}, {HKEY_CURRENT_USER, "HKCU"}};

std::string BackupPath(HKEY root, const std::string& key)
{
    for (const TRootName& known : Roots)
        if (known.Root == root)
            return std::string(RemovalBackupKey) + "\\" + known.Name + "\\" + key;
    throw ERegistryException::CreateKeyFailed(key);
}

UniqueKey OpenKey(HKEY base, const std::string& path)
{
    HKEY key = nullptr;
    return UniqueKey(::RegOpenKeyExA(base, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS ? key : nullptr);
}

UniqueKey CreateKey(HKEY base, const std::string& path, DWORD options)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(base, path.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        throw ERegistryException::CreateKeyFailed(path);
    return UniqueKey(key);
}

// Copies one value, whatever its type.
void CopyValue(HKEY from, HKEY to, const std::string& name)
{
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(from, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        throw ERegistryException::GetDataFailed(name);
    std::vector<BYTE> data(size + 1);
    if (::RegQueryValueExA(from, name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        throw ERegistryException::GetDataFailed(name);
    if (::RegSetValueExA(to, name.c_str(), 0, type, data.data(), size) != ERROR_SUCCESS)
        throw ERegistryException::SetDataFailed(name);
}

std::vector<std::string> ValueNames(HKEY key)
{
    DWORD count = 0;
    DWORD longest = 0;
    if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        throw ERegistryException::GetDataFailed("");
    std::vector<std::string> names;
    std::vector<char> name(longest + 1);
    for (DWORD i = 0; i < count; ++i) {
        DWORD size = static_cast<DWORD>(name.size());
        if (::RegEnumValueA(key, i, name.data(), &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            names.emplace_back(name.data(), size);
    }
    return names;
}

std::vector<std::string> SubkeyNames(HKEY key)
{
    std::vector<std::string> names;
    char name[256];
    DWORD size = sizeof name;
    for (DWORD i = 0; ::RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, size = sizeof name)
        names.emplace_back(name, size);
    return names;
}

// Every value and subkey of from into to; the keys made get options (volatile or not).
void CopyTree(HKEY from, HKEY to, DWORD options)
{
    for (const std::string& name : ValueNames(from))
        CopyValue(from, to, name);
    for (const std::string& name : SubkeyNames(from))
        if (const UniqueKey child = OpenKey(from, name))
            CopyTree(child.Get(), CreateKey(to, name, options).Get(), options);
}

}

TRemovalBackup::TRemovalBackup()
{
    TRegistry registry;
    registry.RemoveKeyTree(RemovalBackupKey);
}

void TRemovalBackup::KeepValue(HKEY root, const std::string& key, const std::string& name)
{
    const UniqueKey source = OpenKey(root, key);
    if (source && ::RegQueryValueExA(source.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        CopyValue(source.Get(), CreateKey(HKEY_CURRENT_USER, BackupPath(root, key), REG_OPTION_VOLATILE).Get(), name);
}

void TRemovalBackup::KeepTree(HKEY root, const std::string& key)
{
    if (const UniqueKey source = OpenKey(root, key))
        CopyTree(source.Get(), CreateKey(HKEY_CURRENT_USER, BackupPath(root, key), REG_OPTION_VOLATILE).Get(),
                 REG_OPTION_VOLATILE);
}

void RestoreRemovedValues()
{
    for (const TRootName& known : Roots)
        if (const UniqueKey kept = OpenKey(HKEY_CURRENT_USER, std::string(RemovalBackupKey) + "\\" + known.Name))
            CopyTree(kept.Get(), known.Root, REG_OPTION_NON_VOLATILE);
    TRegistry registry;
    registry.RemoveKeyTree(RemovalBackupKey);
}
