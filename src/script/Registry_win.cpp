#include "script/Registry.h"
#include "UniqueKernelHandle.h"
#include "store/StringLists.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
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

// Registry names are at most 16,383 characters; in any code page a character takes at most
// four bytes of an ANSI name.
constexpr DWORD LongestNameBytes = 4 * 16384;

// RegQueryInfoKeyA reports the longest names in characters, and an ANSI name can take several
// bytes for one of them (two in East Asian code pages, up to four in UTF-8).
DWORD NameBufferLength(DWORD longestName)
{
    CPINFO info{};
    const UINT bytesPerCharacter = ::GetCPInfo(::GetACP(), &info) ? info.MaxCharSize : 4;
    return std::min(longestName * bytesPerCharacter + 1, LongestNameBytes);
}

// One name of an enumeration; the buffer grows when the platform says it is too short, which
// it may do when the reported longest name counted characters rather than bytes.
template <typename Enumerate>
std::optional<std::string> EnumeratedName(std::vector<char>& buffer, Enumerate enumerate)
{
    for (;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG result = enumerate(buffer.data(), &length);
        if (result == ERROR_SUCCESS)
            return std::string(buffer.data(), length);
        if (result != ERROR_MORE_DATA || buffer.size() >= LongestNameBytes)
            return std::nullopt;
        buffer.resize(std::min<std::size_t>(2 * buffer.size(), LongestNameBytes));
    }
}

UniqueKey OpenKey(HKEY base, const char* subKey, REGSAM mask)
{
    HKEY key = nullptr;
    return UniqueKey(::RegOpenKeyExA(base, subKey, 0, mask, &key) == ERROR_SUCCESS ? key : nullptr);
}

// created tells whether the key is new, rather than one that was there already.
UniqueKey CreateKey(HKEY base, const char* subKey, REGSAM mask, bool& created)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    const LONG result =
        ::RegCreateKeyExA(base, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, mask, nullptr, &key, &disposition);
    created = result == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    return UniqueKey(result == ERROR_SUCCESS ? key : nullptr);
}

struct TValueInfo {
    DWORD Type;
    DWORD Size;
};

std::optional<TValueInfo> QueryValueInfo(HKEY key, const std::string& name)
{
    TValueInfo info{};
    if (::RegQueryValueExA(key, name.c_str(), nullptr, &info.Type, nullptr, &info.Size) != ERROR_SUCCESS)
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

// RegDeleteKeyA would look for the key in the process's own view, not in the one mask names.
bool DeleteKey(HKEY base, const char* subKey, REGSAM mask)
{
    const REGSAM view = mask & KEY_WOW64_RES;
    return (view ? ::RegDeleteKeyExA(base, subKey, view, 0) : ::RegDeleteKeyA(base, subKey)) == ERROR_SUCCESS;
}

// removed is set when any key of the tree went, also when the tree's top could not.
bool RemoveTree(HKEY base, const char* subKey, REGSAM mask, bool& removed);

void RemoveChildKeys(HKEY key, REGSAM mask, bool& removed)
{
    DWORD count = 0;
    DWORD longestName = 0;
    if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &longestName, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<char> buffer(NameBufferLength(longestName));
    // From the last index down, so that removing a child does not shift the ones still to come.
    for (DWORD index = count; index-- > 0;) {
        const std::optional<std::string> name = EnumeratedName(buffer, [&](char* into, DWORD* length) {
            return ::RegEnumKeyExA(key, index, into, length, nullptr, nullptr, nullptr, nullptr);
        });
        if (name)
            RemoveTree(key, name->c_str(), mask, removed);
    }
}

bool RemoveTree(HKEY base, const char* subKey, REGSAM mask, bool& removed)
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

// What the data of a value needs, asked again while the platform answers that it needs more:
// in ANSI a text can take more bytes than the first answer said (UTF-8 as the code page).
std::optional<std::vector<char>> ValueData(HKEY key, const std::string& name, DWORD size, DWORD& type)
{
    std::vector<char> data(size);
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD got = static_cast<DWORD>(data.size());
        const LONG result =
            ::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got);
        if (result == ERROR_SUCCESS) {
            data.resize(std::min<std::size_t>(got, data.size()));
            return data;
        }
        if (result != ERROR_MORE_DATA)
            break;
        data.resize(std::max<std::size_t>(got, 2 * data.size()));
    }
    return std::nullopt;
}

std::unique_ptr<TRegistry> sharedRegistry;

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

ERegistryException ERegistryException::CreateKeyFailed(const std::string& path)
{
    return ERegistryException("Failed to create key " + path);
}

ERegistryException ERegistryException::GetDataFailed(const std::string& name)
{
    return ERegistryException("Failed to get data for '" + name + "'");
}

ERegistryException ERegistryException::SetDataFailed(const std::string& name)
{
    return ERegistryException("Failed to set data for '" + name + "'");
}

ERegistryException ERegistryException::InvalidDataType(const std::string& name)
{
    return ERegistryException("Invalid data type for '" + name + "'");
}

TRegistry::~TRegistry()
{
    Close();
}

TRegistry::TKeyPath TRegistry::Resolve(const std::string& path) const
{
    if (!path.empty() && path.front() == '\\')
        return {FRootKey, path.c_str() + 1};
    return {FCurrentKey ? FCurrentKey.Get() : FRootKey, path.c_str()};
}

void TRegistry::MakeCurrent(UniqueKey key, std::string path)
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

bool TRegistry::Open(const std::string& path, bool create)
{
    const TKeyPath at = Resolve(path);
    const REGSAM mask = FAccessMask | FView;
    bool created = false;
    UniqueKey key =
        create && !path.empty() ? CreateKey(at.Base, at.SubKey, mask, created) : OpenKey(at.Base, at.SubKey, mask);
    if (!key)
        return false;
    MakeCurrent(std::move(key), path);
    FChanged = FChanged || created;
    return true;
}

bool TRegistry::OpenForRead(const std::string& path)
{
    const TKeyPath at = Resolve(path);
    for (const REGSAM mask : {REGSAM{KEY_READ}, KeyReadWithoutNotify, REGSAM{KEY_QUERY_VALUE}}) {
        if (UniqueKey key = OpenKey(at.Base, at.SubKey, mask | FView)) {
            MakeCurrent(std::move(key), path);
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

void TRegistry::MakeKey(const std::string& path)
{
    const TKeyPath at = Resolve(path);
    bool created = false;
    if (!CreateKey(at.Base, at.SubKey, KEY_ALL_ACCESS | FView, created))
        throw ERegistryException::CreateKeyFailed(path);
    FChanged = FChanged || created;
}

bool TRegistry::RemoveKeyTree(const std::string& path)
{
    // A path with no key name would take the base itself, a whole hive perhaps, with it; the
    // platform takes any leading backslash under HKEY_CLASSES_ROOT as the hive's root.
    if (path.find_first_not_of('\\') == std::string::npos)
        return false;
    const TKeyPath at = Resolve(path);
    bool removed = false;
    const bool result = RemoveTree(at.Base, at.SubKey, FAccessMask | FView, removed);
    FChanged = FChanged || removed;
    return result;
}

bool TRegistry::HasKey(const std::string& path) const
{
    const TKeyPath at = Resolve(path);
    return static_cast<bool>(OpenKey(at.Base, at.SubKey, KeyReadWithoutNotify | FView));
}

bool TRegistry::HasFullAccess(const std::string& path) const
{
    const TKeyPath at = Resolve(path);
    const UniqueKey key = OpenKey(at.Base, at.SubKey, READ_CONTROL | FView);
    return key && GrantsAllAccess(key.Get());
}

bool TRegistry::HasChildKeys() const
{
    DWORD count = 0;
    return ::RegQueryInfoKeyA(CurrentKey(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           count > 0;
}

bool TRegistry::HasValue(const std::string& name) const
{
    return QueryValueInfo(CurrentKey(), name).has_value();
}

RegValueKind TRegistry::ValueKind(const std::string& name) const
{
    const std::optional<TValueInfo> info = QueryValueInfo(CurrentKey(), name);
    return info ? KindOfType(info->Type) : RegValueKind::Unknown;
}

void TRegistry::ListValueNames(TStringList& names) const
{
    names.Clear();
    DWORD count = 0;
    DWORD longestName = 0;
    if (::RegQueryInfoKeyA(CurrentKey(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<char> buffer(NameBufferLength(longestName));
    for (DWORD index = 0; index < count; ++index) {
        const std::optional<std::string> name = EnumeratedName(buffer, [&](char* into, DWORD* length) {
            return ::RegEnumValueA(CurrentKey(), index, into, length, nullptr, nullptr, nullptr, nullptr);
        });
        if (name)
            names.Add(*name);
    }
}

std::string TRegistry::GetText(const std::string& name) const
{
    // Most texts fit a small buffer: then one query gives the type and the data together,
    // where asking for the size first would cost a second trip to the registry.
    std::array<char, 256> small;
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(small.size());
    const LONG result =
        ::RegQueryValueExA(CurrentKey(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(small.data()), &size);
    if ((result != ERROR_SUCCESS && result != ERROR_MORE_DATA) || size == 0)
        return {};
    std::vector<char> large;
    if (result == ERROR_MORE_DATA) {
        std::optional<std::vector<char>> data = ValueData(CurrentKey(), name, size, type);
        if (!data)
            throw ERegistryException::GetDataFailed(name);
        large = std::move(*data);
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryException::InvalidDataType(name);
    const std::string_view text = result == ERROR_SUCCESS
                                      ? std::string_view(small.data(), std::min<std::size_t>(size, small.size()))
                                      : std::string_view(large.data(), large.size());
    return std::string(text.substr(0, text.find('\0')));
}

std::int32_t TRegistry::GetInt(const std::string& name) const
{
    std::array<std::uint8_t, 4> data{};
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(data.size());
    if (::RegQueryValueExA(CurrentKey(), name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        throw ERegistryException::GetDataFailed(name);
    if (type != REG_DWORD)
        throw ERegistryException::InvalidDataType(name);
    return FromLittleEndian(data);
}

std::size_t TRegistry::GetBytes(const std::string& name, std::span<std::uint8_t> buffer) const
{
    const std::optional<TValueInfo> info = QueryValueInfo(CurrentKey(), name);
    if (!info)
        return 0;
    const RegValueKind kind = KindOfType(info->Type);
    if ((kind != RegValueKind::Binary && kind != RegValueKind::Unknown) || info->Size > buffer.size())
        throw ERegistryException::InvalidDataType(name);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (::RegQueryValueExA(CurrentKey(), name.c_str(), nullptr, nullptr, buffer.data(), &size) != ERROR_SUCCESS)
        throw ERegistryException::GetDataFailed(name);
    return size;
}

void TRegistry::PutData(const std::string& name, DWORD type, const void* data, std::size_t size)
{
    if (::RegSetValueExA(CurrentKey(), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                         static_cast<DWORD>(size)) != ERROR_SUCCESS)
        throw ERegistryException::SetDataFailed(name);
    FChanged = true;
}

void TRegistry::PutText(const std::string& name, const std::string& text)
{
    PutData(name, REG_SZ, text.c_str(), text.size() + 1);
}

void TRegistry::PutExpandText(const std::string& name, const std::string& text)
{
    PutData(name, REG_EXPAND_SZ, text.c_str(), text.size() + 1);
}

void TRegistry::PutInt(const std::string& name, std::int32_t value)
{
    const std::array<std::uint8_t, 4> bytes = LittleEndianBytes(value);
    PutData(name, REG_DWORD, bytes.data(), bytes.size());
}

void TRegistry::PutBytes(const std::string& name, std::span<const std::uint8_t> bytes)
{
    PutData(name, REG_BINARY, bytes.data(), bytes.size());
}

bool TRegistry::RemoveValue(const std::string& name)
{
    const bool removed = ::RegDeleteValueA(CurrentKey(), name.c_str()) == ERROR_SUCCESS;
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
