#include "support/ScratchKey.h"

#include <sddl.h>

#include <cstdio>
#include <random>
#include <stdexcept>

namespace {

void Check(LONG result, const char* what)
{
    if (result != ERROR_SUCCESS)
        throw std::runtime_error(std::string(what) + " failed with error " + std::to_string(result));
}

std::string RandomTag()
{
    std::random_device random;
    return std::to_string((static_cast<unsigned long long>(random()) << 32) ^ random());
}

void FreeLocal(HLOCAL memory) { ::LocalFree(memory); }
using UniqueLocal = UniqueHandle<HLOCAL, FreeLocal>;

}

TScratchKey::TScratchKey() : FPath("Software\\LumivantaTest-" + RandomTag())
{
    MakeKey("");
}

TScratchKey::~TScratchKey()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, FPath.c_str());
}

std::string TScratchKey::PathOf(std::string_view relative) const
{
    return relative.empty() ? FPath : FPath + "\\" + std::string(relative);
}

UniqueKey TScratchKey::Open(std::string_view relative, REGSAM mask) const
{
    HKEY key = nullptr;
    Check(::RegOpenKeyExA(HKEY_CURRENT_USER, PathOf(relative).c_str(), 0, mask, &key), "RegOpenKeyExA");
    return UniqueKey(key);
}

namespace {

void MakeKeyAt(const std::string& path, DWORD options)
{
    HKEY key = nullptr;
    Check(::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key, nullptr),
          "RegCreateKeyExA");
    const UniqueKey made(key);
}

}

void TScratchKey::MakeKey(std::string_view relative) const
{
    MakeKeyAt(PathOf(relative), REG_OPTION_NON_VOLATILE);
}

void TScratchKey::MakeVolatileKey(std::string_view relative) const
{
    MakeKeyAt(PathOf(relative), REG_OPTION_VOLATILE);
}

bool TScratchKey::HasKey(std::string_view relative) const
{
    HKEY key = nullptr;
    const LONG result = ::RegOpenKeyExA(HKEY_CURRENT_USER, PathOf(relative).c_str(), 0, KEY_QUERY_VALUE, &key);
    const UniqueKey opened(result == ERROR_SUCCESS ? key : nullptr);
    return static_cast<bool>(opened);
}

void TScratchKey::SetValue(std::string_view relative, const std::string& name, DWORD type, std::string_view data) const
{
    Check(::RegSetValueExA(Open(relative).Get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size())),
          "RegSetValueExA");
}

void TScratchKey::SetInt(std::string_view relative, const std::string& name, DWORD value) const
{
    SetValue(relative, name, REG_DWORD, std::string_view(reinterpret_cast<const char*>(&value), sizeof value));
}

std::optional<TRawValue> TScratchKey::Value(std::string_view relative, const std::string& name) const
{
    const UniqueKey key = Open(relative, KEY_QUERY_VALUE);
    TRawValue value{};
    DWORD size = 0;
    if (::RegQueryValueExA(key.Get(), name.c_str(), nullptr, &value.Type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.Data.resize(size);
    Check(::RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value.Data.data()),
                             &size),
          "RegQueryValueExA");
    value.Data.resize(size);
    return value;
}

std::vector<std::string> TScratchKey::ValueNames(std::string_view relative) const
{
    const UniqueKey key = Open(relative, KEY_QUERY_VALUE);
    std::vector<std::string> names;
    char name[256];
    DWORD length = sizeof name;
    while (::RegEnumValueA(key.Get(), static_cast<DWORD>(names.size()), name, &length, nullptr, nullptr, nullptr,
                           nullptr) == ERROR_SUCCESS) {
        names.emplace_back(name, length);
        length = sizeof name;
    }
    return names;
}

void TScratchKey::SetText(std::string_view relative, const std::wstring& name, const std::wstring& text) const
{
    Check(::RegSetValueExW(Open(relative).Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
          "RegSetValueExW");
}

std::wstring TScratchKey::StoredText(std::string_view relative, const std::wstring& name) const
{
    const UniqueKey key = Open(relative, KEY_QUERY_VALUE);
    std::wstring text(4096, L'\0');
    DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    Check(::RegQueryValueExW(key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &size),
          "RegQueryValueExW");
    text.resize(size / sizeof(wchar_t));
    return text;
}

TRestrictedKey::TRestrictedKey(const TScratchKey& scratch, std::string_view relative, DWORD granted)
    : FKey(scratch.Open(relative))
{
    DWORD size = 0;
    ::RegGetKeySecurity(FKey.Get(), DACL_SECURITY_INFORMATION, nullptr, &size);
    FOwnSecurity.resize(size);
    Check(::RegGetKeySecurity(FKey.Get(), DACL_SECURITY_INFORMATION, FOwnSecurity.data(), &size), "RegGetKeySecurity");

    // Protected, so that nothing is inherited from the parent; no entry at all grants nothing.
    char text[32] = "D:P";
    if (granted != 0)
        std::snprintf(text, sizeof text, "D:P(A;;0x%lx;;;WD)", granted);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(text, SDDL_REVISION_1, &descriptor, nullptr))
        throw std::runtime_error("ConvertStringSecurityDescriptorToSecurityDescriptorA failed");
    const UniqueLocal owned(descriptor);
    Check(::RegSetKeySecurity(FKey.Get(), DACL_SECURITY_INFORMATION, descriptor), "RegSetKeySecurity");
}

TRestrictedKey::~TRestrictedKey()
{
    ::RegSetKeySecurity(FKey.Get(), DACL_SECURITY_INFORMATION, FOwnSecurity.data());
}
