#include "script/Registry.h"
#include "UniqueKernelHandle.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

bool IsPredefinedKey(HKEY key)
{
    // The predefined hives are pseudo-handles in one small range with the top bit set;
    // opening a hive with an empty path hands back the pseudo-handle itself.
    const auto value = reinterpret_cast<ULONG_PTR>(key);
    return value >= reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT) &&
           value <= reinterpret_cast<ULONG_PTR>(HKEY_PERFORMANCE_NLSTEXT);
}

// Registry names are at most 16,383 characters.
constexpr DWORD LongestName = 16384;

// One name of an enumeration; the buffer grows when the platform says it is too short, as it
// does when a longer name has come since the longest one was asked for.
template <typename Enumerate>
std::optional<std::wstring> EnumeratedName(std::vector<wchar_t>& buffer, Enumerate enumerate)
{
    for (;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG result = enumerate(buffer.data(), &length);
        if (result == ERROR_SUCCESS)
            return std::wstring(buffer.data(), length);
        if (result != ERROR_MORE_DATA || buffer.size() >= LongestName)
            return std::nullopt;
        buffer.resize(std::min<std::size_t>(2 * buffer.size(), LongestName));
    }
}

std::vector<wchar_t> NameBuffer(DWORD longestName)
{
    return std::vector<wchar_t>(std::min(longestName + 1, LongestName));
}

bool HasNul(const std::wstring& text)
{
    return text.find(L'\0') != std::wstring::npos;
}

const wchar_t* ValueNameOf(const TRegText& name)
{
    if (HasNul(name.Wide()))
        throw ERegistryException::NulInValueName();
    return name.Wide().c_str();
}

UniqueKey OpenKey(HKEY base, const wchar_t* subKey, REGSAM mask)
{
    HKEY key = nullptr;
    return UniqueKey(::RegOpenKeyExW(base, subKey, 0, mask, &key) == ERROR_SUCCESS ? key : nullptr);
}

// created tells whether the key is new, rather than one that was there already.
UniqueKey CreateKey(HKEY base, const wchar_t* subKey, REGSAM mask, bool& created)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    const LONG result =
        ::RegCreateKeyExW(base, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, mask, nullptr, &key, &disposition);
    created = result == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    return UniqueKey(result == ERROR_SUCCESS ? key : nullptr);
}

struct TValueInfo {
    DWORD Type;
    DWORD Size;
};

std::optional<TValueInfo> QueryValueInfo(HKEY key, const TRegText& name)
{
    TValueInfo info{};
    if (::RegQueryValueExW(key, ValueNameOf(name), nullptr, &info.Type, nullptr, &info.Size) != ERROR_SUCCESS)
        return std::nullopt;
    return info;
}

RegValueKind KindOfType(DWORD type)
{
    switch (type) {
    case REG_SZ: return RegValueKind::String;
    case REG_EXPAND_SZ: return RegValueKind::ExpandString;
    case REG_DWORD: return RegValueKind::Integer;
    case REG_BINARY: return RegValueKind::Binary;
    default: return RegValueKind::Unknown;
    }
}

// RegDeleteKeyW would look for the key in the process's own view, not in the one mask names.
bool DeleteKey(HKEY base, const wchar_t* subKey, REGSAM mask)
{
    const REGSAM view = mask & KEY_WOW64_RES;
    return (view ? ::RegDeleteKeyExW(base, subKey, view, 0) : ::RegDeleteKeyW(base, subKey)) == ERROR_SUCCESS;
}

// removed is set when any key of the tree went, also when the tree's top could not.
bool RemoveTree(HKEY base, const wchar_t* subKey, REGSAM mask, bool& removed);

void RemoveChildKeys(HKEY key, REGSAM mask, bool& removed)
{
    DWORD count = 0;
    DWORD longestName = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &longestName, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<wchar_t> buffer = NameBuffer(longestName);
    // From the last index down, so that removing a child does not shift the ones still to come.
    for (DWORD index = count; index-- > 0;) {
        const std::optional<std::wstring> name = EnumeratedName(buffer, [&](wchar_t* into, DWORD* length) {
            return ::RegEnumKeyExW(key, index, into, length, nullptr, nullptr, nullptr, nullptr);
        });
        if (name)
            RemoveTree(key, name->c_str(), mask, removed);
    }
}

bool RemoveTree(HKEY base, const wchar_t* subKey, REGSAM mask, bool& removed)
{
    if (const UniqueKey key = OpenKey(base, subKey, mask))
        RemoveChildKeys(key.Get(), mask, removed);
    const bool deleted = DeleteKey(base, subKey, mask);
    removed = removed || deleted;
    return deleted;
}

// The program's own token in the form that AccessCheck takes; the program never impersonates.
UniqueKernelHandle CallerToken()
{
    HANDLE process = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process))
        return {};
    const UniqueKernelHandle processToken(process);
    HANDLE token = nullptr;
    return UniqueKernelHandle(::DuplicateToken(process, SecurityIdentification, &token) ? token : nullptr);
}

std::vector<BYTE> KeySecurity(HKEY key)
{
    const SECURITY_INFORMATION parts = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    std::vector<BYTE> security(256);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = static_cast<DWORD>(security.size());
        const LONG result = ::RegGetKeySecurity(key, parts, security.data(), &size);
        if (result == ERROR_SUCCESS)
            return security;
        if (result != ERROR_INSUFFICIENT_BUFFER)
            break;
        security.resize(size);
    }
    return {};
}

// The key's own security checked against the caller's token: opening a hive with an empty
// path hands back its pseudo-handle without any check, so an open cannot answer this.
bool GrantsAllAccess(HKEY key)
{
    std::vector<BYTE> security = KeySecurity(key);
    const UniqueKernelHandle token = CallerToken();
    if (security.empty() || !token)
        return false;
    GENERIC_MAPPING mapping{KEY_READ, KEY_WRITE, KEY_EXECUTE, KEY_ALL_ACCESS};
    PRIVILEGE_SET privileges{};
    DWORD privilegesLength = sizeof privileges;
    DWORD granted = 0;
    BOOL allowed = FALSE;
    return ::AccessCheck(security.data(), token.Get(), KEY_ALL_ACCESS, &mapping, &privileges, &privilegesLength,
                         &granted, &allowed) &&
           allowed;
}

// The data of a value, asked again while the platform answers that it needs more: the value
// may have grown since its size was asked for.
std::optional<std::vector<std::uint8_t>> ValueData(HKEY key, const TRegText& name, DWORD size, DWORD& type)
{
    std::vector<std::uint8_t> data(size);
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD got = static_cast<DWORD>(data.size());
        const LONG result = ::RegQueryValueExW(key, ValueNameOf(name), nullptr, &type, data.data(), &got);
        if (result == ERROR_SUCCESS && got <= data.size()) {
            data.resize(got);
            return data;
        }
        // Without a buffer (no data at first) the platform answers the size with success.
        if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)
            break;
        data.resize(std::max<std::size_t>(got, 2 * data.size()));
    }
    return std::nullopt;
}

// A string value's data up to its first NUL; a last odd byte is no character.
std::wstring TextOfData(const std::uint8_t* data, std::size_t size)
{
    std::wstring text(size / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data, text.size() * sizeof(wchar_t));
    text.resize(std::min(text.size(), text.find(L'\0')));
    return text;
}

// One a thread: the accessor keeps its current key between the calls of one operation, and the
// program's watching runs the script objects on a thread of its own beside the pages'.
thread_local std::unique_ptr<TRegistry> sharedRegistry;

}

void CloseKey(HKEY key)
{
    if (!IsPredefinedKey(key))
        ::RegCloseKey(key);
}

HKEY HiveKey(std::uint32_t hive)
{
    // Widened with the sign, as the platform defines its predefined handles.
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(hive)));
}

ERegistryException ERegistryException::CreateKeyFailed(const TRegText& path)
{
    return ERegistryException(L"Failed to create key " + path.Wide());
}

ERegistryException ERegistryException::GetDataFailed(const TRegText& name)
{
    return ERegistryException(L"Failed to get data for '" + name.Wide() + L"'");
}

ERegistryException ERegistryException::SetDataFailed(const TRegText& name)
{
    return ERegistryException(L"Failed to set data for '" + name.Wide() + L"'");
}

ERegistryException ERegistryException::InvalidDataType(const TRegText& name)
{
    return ERegistryException(L"Invalid data type for '" + name.Wide() + L"'");
}

ERegistryException ERegistryException::NulInKeyPath()
{
    return ERegistryException(L"Invalid key path: a registry key path cannot hold a NUL character");
}

ERegistryException ERegistryException::NulInValueName()
{
    return ERegistryException(L"Invalid value name: a registry value name cannot hold a NUL character");
}

ERegistryException ERegistryException::NulInText(const TRegText& name)
{
    return ERegistryException(L"Invalid text for '" + name.Wide() + L"': a registry string cannot hold a NUL character");
}

ERegistryException ERegistryException::InvalidHexText(const TRegText& name)
{
    return ERegistryException(L"Invalid binary data for '" + name.Wide() +
                              L"': give the bytes as pairs of hexadecimal digits, such as 0A1B");
}

TRegistry::~TRegistry()
{
    Close();
}

TRegistry::TKeyPath TRegistry::Resolve(const TRegText& path) const
{
    const std::wstring& text = path.Wide();
    if (HasNul(text))
        throw ERegistryException::NulInKeyPath();
    if (!text.empty() && text.front() == L'\\')
        return {FRootKey, text.c_str() + 1};
    return {FCurrentKey ? FCurrentKey.Get() : FRootKey, text.c_str()};
}

void TRegistry::MakeCurrent(UniqueKey key, std::wstring path)
{
    Close();
    FCurrentKey = std::move(key);
    FCurrentPath = std::move(path);
}

void TRegistry::SetRoot(HKEY hive)
{
    if (hive == FRootKey)
        return;
    Close();
    FRootKey = hive;
}

bool TRegistry::Open(const TRegText& path, bool create)
{
    const TKeyPath at = Resolve(path);
    const REGSAM mask = FAccessMask | FView;
    bool created = false;
    UniqueKey key = create && !path.Wide().empty() ? CreateKey(at.Base, at.SubKey, mask, created)
                                                   : OpenKey(at.Base, at.SubKey, mask);
    if (!key)
        return false;
    MakeCurrent(std::move(key), path.Wide());
    FChanged = FChanged || created;
    return true;
}

bool TRegistry::OpenForRead(const TRegText& path)
{
    const TKeyPath at = Resolve(path);
    for (const REGSAM mask : {REGSAM{KEY_READ}, KeyReadWithoutNotify, REGSAM{KEY_QUERY_VALUE}}) {
        if (UniqueKey key = OpenKey(at.Base, at.SubKey, mask | FView)) {
            MakeCurrent(std::move(key), path.Wide());
            FAccessMask = mask;
            return true;
        }
    }
    return false;
}

// RegFlushKey writes the key's whole hive to disk and holds up every other writer of that hive
// meanwhile: it is paid for changes only, never for reads.
void TRegistry::Close() noexcept
{
    if (FChanged && FFlushOnClose)
        ::RegFlushKey(FCurrentKey ? FCurrentKey.Get() : FRootKey);
    FChanged = false;
    if (!FCurrentKey)
        return;
    FCurrentKey.Reset();
    FCurrentPath.clear();
}

bool TRegistry::MakeKey(const TRegText& path)
{
    const TKeyPath at = Resolve(path);
    bool created = false;
    if (!CreateKey(at.Base, at.SubKey, KEY_ALL_ACCESS | FView, created))
        throw ERegistryException::CreateKeyFailed(path);
    FChanged = FChanged || created;
    return created;
}

bool TRegistry::RemoveKeyTree(const TRegText& path)
{
    // A path with no key name would take the base itself, a whole hive perhaps, with it; the
    // platform takes any leading backslash under HKEY_CLASSES_ROOT as the hive's root.
    const TKeyPath at = Resolve(path);
    if (path.Wide().find_first_not_of(L'\\') == std::wstring::npos)
        return false;
    bool removed = false;
    const bool result = RemoveTree(at.Base, at.SubKey, FAccessMask | FView, removed);
    FChanged = FChanged || removed;
    return result;
}

bool TRegistry::HasKey(const TRegText& path) const
{
    const TKeyPath at = Resolve(path);
    return static_cast<bool>(OpenKey(at.Base, at.SubKey, KeyReadWithoutNotify | FView));
}

bool TRegistry::HasFullAccess(const TRegText& path) const
{
    const TKeyPath at = Resolve(path);
    const UniqueKey key = OpenKey(at.Base, at.SubKey, READ_CONTROL | FView);
    return key && GrantsAllAccess(key.Get());
}

bool TRegistry::HasChildKeys() const
{
    DWORD count = 0;
    return ::RegQueryInfoKeyW(CurrentKey(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           count > 0;
}

bool TRegistry::HasValue(const TRegText& name) const
{
    return QueryValueInfo(CurrentKey(), name).has_value();
}

RegValueKind TRegistry::ValueKind(const TRegText& name) const
{
    const std::optional<TValueInfo> info = QueryValueInfo(CurrentKey(), name);
    return info ? KindOfType(info->Type) : RegValueKind::Unknown;
}

std::vector<std::wstring> TRegistry::ListValueNames() const
{
    std::vector<std::wstring> names;
    DWORD count = 0;
    DWORD longestName = 0;
    if (::RegQueryInfoKeyW(CurrentKey(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    std::vector<wchar_t> buffer = NameBuffer(longestName);
    for (DWORD index = 0; index < count; ++index) {
        std::optional<std::wstring> name = EnumeratedName(buffer, [&](wchar_t* into, DWORD* length) {
            return ::RegEnumValueW(CurrentKey(), index, into, length, nullptr, nullptr, nullptr, nullptr);
        });
        if (name)
            names.push_back(std::move(*name));
    }
    return names;
}

std::wstring TRegistry::GetText(const TRegText& name) const
{
    // Most texts fit a small buffer: then one query gives the type and the data together,
    // where asking for the size first would cost a second trip to the registry.
    std::array<std::uint8_t, 256> small;
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(small.size());
    const LONG result = ::RegQueryValueExW(CurrentKey(), ValueNameOf(name), nullptr, &type, small.data(), &size);
    if ((result != ERROR_SUCCESS && result != ERROR_MORE_DATA) || size == 0)
        return {};
    std::vector<std::uint8_t> large;
    if (result == ERROR_MORE_DATA) {
        std::optional<std::vector<std::uint8_t>> data = ValueData(CurrentKey(), name, size, type);
        if (!data)
            throw ERegistryException::GetDataFailed(name);
        large = std::move(*data);
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryException::InvalidDataType(name);
    return result == ERROR_SUCCESS ? TextOfData(small.data(), std::min<std::size_t>(size, small.size()))
                                   : TextOfData(large.data(), large.size());
}

std::int32_t TRegistry::GetInt(const TRegText& name) const
{
    std::array<std::uint8_t, 4> data{};
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(data.size());
    const LONG result = ::RegQueryValueExW(CurrentKey(), ValueNameOf(name), nullptr, &type, data.data(), &size);
    // The type first, also of data too long for the buffer: a text takes two bytes a character,
    // so even a short one would otherwise fail as data that cannot be got.
    if ((result == ERROR_SUCCESS || result == ERROR_MORE_DATA) && type != REG_DWORD)
        throw ERegistryException::InvalidDataType(name);
    if (result != ERROR_SUCCESS)
        throw ERegistryException::GetDataFailed(name);
    return FromLittleEndian(data);
}

std::size_t TRegistry::GetBytes(const TRegText& name, std::span<std::uint8_t> buffer) const
{
    const std::optional<TValueInfo> info = QueryValueInfo(CurrentKey(), name);
    if (!info)
        return 0;
    const RegValueKind kind = KindOfType(info->Type);
    if ((kind != RegValueKind::Binary && kind != RegValueKind::Unknown) || info->Size > buffer.size())
        throw ERegistryException::InvalidDataType(name);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (::RegQueryValueExW(CurrentKey(), ValueNameOf(name), nullptr, nullptr, buffer.data(), &size) != ERROR_SUCCESS)
        throw ERegistryException::GetDataFailed(name);
    return size;
}

std::vector<std::uint8_t> TRegistry::GetBinary(const TRegText& name) const
{
    const std::optional<TValueInfo> info = QueryValueInfo(CurrentKey(), name);
    if (!info)
        return {};
    if (info->Type != REG_BINARY)
        throw ERegistryException::InvalidDataType(name);
    DWORD type = REG_NONE;
    std::optional<std::vector<std::uint8_t>> data = ValueData(CurrentKey(), name, info->Size, type);
    if (!data)
        throw ERegistryException::GetDataFailed(name);
    // The value may have been given another type since it was first asked for.
    if (type != REG_BINARY)
        throw ERegistryException::InvalidDataType(name);
    return std::move(*data);
}

void TRegistry::PutData(const TRegText& name, DWORD type, const void* data, std::size_t size)
{
    if (::RegSetValueExW(CurrentKey(), ValueNameOf(name), 0, type, static_cast<const BYTE*>(data),
                         static_cast<DWORD>(size)) != ERROR_SUCCESS)
        throw ERegistryException::SetDataFailed(name);
    FChanged = true;
}

void TRegistry::PutString(const TRegText& name, DWORD type, const TRegText& text)
{
    const std::wstring& data = text.Wide();
    if (HasNul(data))
        throw ERegistryException::NulInText(name);
    PutData(name, type, data.c_str(), (data.size() + 1) * sizeof(wchar_t));
}

void TRegistry::PutText(const TRegText& name, const TRegText& text)
{
    PutString(name, REG_SZ, text);
}

void TRegistry::PutExpandText(const TRegText& name, const TRegText& text)
{
    PutString(name, REG_EXPAND_SZ, text);
}

void TRegistry::PutInt(const TRegText& name, std::int32_t value)
{
    const std::array<std::uint8_t, 4> bytes = LittleEndianBytes(value);
    PutData(name, REG_DWORD, bytes.data(), bytes.size());
}

void TRegistry::PutBytes(const TRegText& name, std::span<const std::uint8_t> bytes)
{
    PutData(name, REG_BINARY, bytes.data(), bytes.size());
}

bool TRegistry::RemoveValue(const TRegText& name)
{
    const bool removed = ::RegDeleteValueW(CurrentKey(), ValueNameOf(name)) == ERROR_SUCCESS;
    FChanged = FChanged || removed;
    return removed;
}

std::array<std::uint8_t, 4> LittleEndianBytes(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 24)};
}

std::int32_t FromLittleEndian(const std::array<std::uint8_t, 4>& bytes)
{
    std::uint32_t bits = 0;
    for (auto byte = bytes.rbegin(); byte != bytes.rend(); ++byte)
        bits = bits << 8 | *byte;
    return static_cast<std::int32_t>(bits);
}

REGSAM NativeRegistryView()
{
    static const REGSAM view = [] {
        BOOL wow64 = FALSE;
        return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64 ? REGSAM{KEY_WOW64_64KEY} : REGSAM{0};
    }();
    return view;
}

void CreateSharedRegistry()
{
    sharedRegistry = std::make_unique<TRegistry>();
    sharedRegistry->SetFlushOnClose(true);
    sharedRegistry->SetView(NativeRegistryView());
}

void FreeSharedRegistry()
{
    sharedRegistry.reset();
}

TRegistry& SharedRegistry()
{
    if (!sharedRegistry)
        throw std::logic_error("The shared registry accessor is used outside the program's lifetime");
    return *sharedRegistry;
}
