#include "app/RemovalBackup.h"

#include "script/Registry.h"

#include <vector>

namespace {

struct TRootName {
    HKEY Root;
    const wchar_t* Name;
};
// HKEY_CLASSES_ROOT first: writing there lands in the user's own classes where a key is there
// already, and the user's own copy, put back second, is the one that must win.
const TRootName Roots[] = {{HKEY_CLASSES_ROOT, L"HKCR"}, {HKEY_CURRENT_USER, L"HKCU"}};

std::wstring BackupKey()
{
    return WideFromAnsi(RemovalBackupKey);
}

std::wstring BackupPath(HKEY root, const std::string& key)
{
    for (const TRootName& known : Roots)
        if (known.Root == root)
            return BackupKey() + L"\\" + known.Name + L"\\" + WideFromAnsi(key);
    throw ERegistryException::CreateKeyFailed(key);
}

// Everything below goes through the wide functions: the kept settings hold the user's texts
// (notes, journal entries) in any script, which the code page would turn into "?".
UniqueKey OpenKey(HKEY base, const std::wstring& path)
{
    HKEY key = nullptr;
    return UniqueKey(::RegOpenKeyExW(base, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS ? key : nullptr);
}

UniqueKey CreateKey(HKEY base, const std::wstring& path, DWORD options)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(base, path.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        throw ERegistryException::CreateKeyFailed(path);
    return UniqueKey(key);
}

// Copies one value, whatever its type, byte for byte.
void CopyValue(HKEY from, HKEY to, const std::wstring& name)
{
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(from, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        throw ERegistryException::GetDataFailed(name);
    std::vector<BYTE> data(size + 1);
    if (::RegQueryValueExW(from, name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        throw ERegistryException::GetDataFailed(name);
    if (::RegSetValueExW(to, name.c_str(), 0, type, data.data(), size) != ERROR_SUCCESS)
        throw ERegistryException::SetDataFailed(name);
}

std::vector<std::wstring> ValueNames(HKEY key)
{
    DWORD count = 0;
    DWORD longest = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        throw ERegistryException::GetDataFailed(L"");
    std::vector<std::wstring> names;
    std::vector<wchar_t> name(longest + 1);
    for (DWORD i = 0; i < count; ++i) {
        DWORD size = static_cast<DWORD>(name.size());
        if (::RegEnumValueW(key, i, name.data(), &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            names.emplace_back(name.data(), size);
    }
    return names;
}

std::vector<std::wstring> SubkeyNames(HKEY key)
{
    std::vector<std::wstring> names;
    // A key name holds at most 255 characters.
    wchar_t name[256];
    DWORD size = 256;
    for (DWORD i = 0; ::RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, size = 256)
        names.emplace_back(name, size);
    return names;
}

// Every value and subkey of from into to; the keys made get options (volatile or not).
void CopyTree(HKEY from, HKEY to, DWORD options)
{
    for (const std::wstring& name : ValueNames(from))
        CopyValue(from, to, name);
    for (const std::wstring& name : SubkeyNames(from))
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
    const UniqueKey source = OpenKey(root, WideFromAnsi(key));
    const std::wstring value = WideFromAnsi(name);
    if (source && ::RegQueryValueExW(source.Get(), value.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        CopyValue(source.Get(), CreateKey(HKEY_CURRENT_USER, BackupPath(root, key), REG_OPTION_VOLATILE).Get(), value);
}

void TRemovalBackup::KeepTree(HKEY root, const std::string& key)
{
    if (const UniqueKey source = OpenKey(root, WideFromAnsi(key)))
        CopyTree(source.Get(), CreateKey(HKEY_CURRENT_USER, BackupPath(root, key), REG_OPTION_VOLATILE).Get(),
                 REG_OPTION_VOLATILE);
}

void RestoreRemovedValues()
{
    for (const TRootName& known : Roots)
        if (const UniqueKey kept = OpenKey(HKEY_CURRENT_USER, BackupKey() + L"\\" + known.Name))
            CopyTree(kept.Get(), known.Root, REG_OPTION_NON_VOLATILE);
    DropRemovalBackup();
}

void DropRemovalBackup()
{
    TRegistry registry;
    registry.RemoveKeyTree(RemovalBackupKey);
}
