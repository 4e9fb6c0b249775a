#pragma once

#include "Exception.h"
#include "UniqueHandle.h"
#include "script/AnsiText.h"

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Closes a key handle; the platform's predefined hive handles are left open.
void CloseKey(HKEY key);
using UniqueKey = UniqueHandle<HKEY, CloseKey>;

// The handle of a hive that RootKeyFromName names (its HiveNone gives the null handle).
HKEY HiveKey(std::uint32_t hive);

// Read access without change notification: what HasKey asks for, and the second mask
// that OpenForRead tries.
inline constexpr REGSAM KeyReadWithoutNotify = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;

// The kind of a value; every platform type other than these four, and a missing value,
// is Unknown. The numbers are the ones the script objects report.
enum class RegValueKind { Unknown = 0, String = 1, ExpandString = 2, Integer = 3, Binary = 4 };

// A key path, a value name or a string value's data, in UTF-16 as the platform keeps them. The
// scripts' texts are taken exactly; the program's own texts, in the system code page, are
// converted as the platform's ANSI registry functions would convert them.
class TRegText {
public:
    TRegText(std::wstring text) : FText(std::move(text)) {}
    TRegText(const wchar_t* text) : FText(text) {}
    TRegText(const std::string& ansi) : FText(WideFromAnsi(ansi)) {}
    TRegText(const char* ansi) : FText(WideFromAnsi(ansi)) {}

    const std::wstring& Wide() const { return FText; }

private:
    std::wstring FText;
};

// A registry failure: a value of the wrong kind, a value query or write that the platform
// refuses, a key that cannot be made, or a text that no registry name or string can hold.
// Missing keys and values are results, not failures. The message names paths and values
// exactly (ExactMessage); its ANSI text is what the exception log shows.
class ERegistryException : public Exception {
public:
    static ERegistryException CreateKeyFailed(const TRegText& path);
    static ERegistryException GetDataFailed(const TRegText& name);
    static ERegistryException SetDataFailed(const TRegText& name);
    static ERegistryException InvalidDataType(const TRegText& name);
    // The platform ends a name or a string at a NUL character: it would open, write or remove
    // another key or value than the one asked for, or keep only a part of the text.
    static ERegistryException NulInKeyPath();
    static ERegistryException NulInValueName();
    static ERegistryException NulInText(const TRegText& name);
    static ERegistryException InvalidHexText(const TRegText& name);

private:
    explicit ERegistryException(const std::wstring& message) : Exception(AnsiFromWide(message), message) {}
};

// The registry accessor: a root hive and at most one current key, opened by a path. Every
// name and text goes through the platform's wide-character functions, so any text the
// registry can hold arrives and leaves exactly; a key path or value name with a NUL character
// fails before anything is opened, written or removed.
// A path that begins with a backslash is taken from the root hive; any other path, the empty
// one included, from the current key when one is open, otherwise from the root hive.
// Value operations work on the current key; an empty value name is the key's default value.
class TRegistry {
public:
    TRegistry() = default;
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return FRootKey; }
    HKEY CurrentKey() const { return FCurrentKey.Get(); }
    const std::wstring& CurrentPath() const { return FCurrentPath; }
    // What Open and the key lookups of RemoveKeyTree ask for; OpenForRead overwrites it.
    REGSAM AccessMask() const { return FAccessMask; }
    void SetAccessMask(REGSAM mask) { FAccessMask = mask; }
    // When on, closing a key after a change (a value written or removed, a key made or
    // removed) first writes the change to disk; after reads alone nothing is written.
    bool FlushOnClose() const { return FFlushOnClose; }
    void SetFlushOnClose(bool flush) { FFlushOnClose = flush; }
    // The registry view every key is opened, made and removed in, added to every mask: none
    // (the process's own) or KEY_WOW64_64KEY.
    REGSAM View() const { return FView; }
    void SetView(REGSAM view) { FView = view; }

    // Another hive closes the current key; the same hive changes nothing.
    void SetRoot(HKEY hive);
    // Opens the key with AccessMask, creating it (and the missing keys on its path) when
    // create is set and the path is not empty; the opened key replaces the current one.
    bool Open(const TRegText& path, bool create);
    // Opens with KEY_READ, else KeyReadWithoutNotify, else KEY_QUERY_VALUE; AccessMask takes
    // the mask that succeeded.
    bool OpenForRead(const TRegText& path);
    // Closes the current key. A change made since the last Close is flushed first, when
    // FlushOnClose asks for it: through the current key, or the root hive when none is open.
    void Close() noexcept;

    // Makes the key and the missing keys on its path with full access, whatever AccessMask
    // holds; an existing key is fine. The current key stays as it is. True when this call made
    // the key itself, false when it was there already.
    bool MakeKey(const TRegText& path);
    // Removes the key with all its subkeys, deepest first; true when the key itself went.
    // A path that names no key (empty, or backslashes only) removes nothing.
    bool RemoveKeyTree(const TRegText& path);
    bool HasKey(const TRegText& path) const;
    // The key's security grants the caller KEY_ALL_ACCESS; a hive's root is checked too, and
    // a missing key gives false. Opens nothing for writing and makes nothing.
    bool HasFullAccess(const TRegText& path) const;
    bool HasChildKeys() const;

    bool HasValue(const TRegText& name) const;
    RegValueKind ValueKind(const TRegText& name) const;
    // The value names in the platform's enumeration order; the default value, when set, as
    // an empty name. A value that disappears while the names are read is left out.
    std::vector<std::wstring> ListValueNames() const;

    // A string or expandable string up to its first NUL, unexpanded; missing or empty: "".
    std::wstring GetText(const TRegText& name) const;
    // An integer value. A value of another type fails as one of the wrong type, whatever its
    // length; a missing value, or an integer value longer than 4 bytes, as data not got.
    std::int32_t GetInt(const TRegText& name) const;
    bool GetFlag(const TRegText& name) const { return GetInt(name) != 0; }
    // Reads a binary value (or one of a type without a kind) that fits into buffer and gives
    // its size; a missing value gives 0.
    std::size_t GetBytes(const TRegText& name, std::span<std::uint8_t> buffer) const;
    // A binary value's bytes, of any length; a missing value gives none, a value of any other
    // type fails.
    std::vector<std::uint8_t> GetBinary(const TRegText& name) const;

    // A text with a NUL character fails and writes nothing.
    void PutText(const TRegText& name, const TRegText& text);
    void PutExpandText(const TRegText& name, const TRegText& text);
    void PutInt(const TRegText& name, std::int32_t value);
    void PutFlag(const TRegText& name, bool value) { PutInt(name, value ? 1 : 0); }
    void PutBytes(const TRegText& name, std::span<const std::uint8_t> bytes);
    bool RemoveValue(const TRegText& name);

private:
    struct TKeyPath {
        HKEY Base;
        const wchar_t* SubKey;
    };
    // Fails for a path with a NUL character.
    TKeyPath Resolve(const TRegText& path) const;
    // path by value: it may be the current path itself, which Close empties.
    void MakeCurrent(UniqueKey key, std::wstring path);
    void PutData(const TRegText& name, DWORD type, const void* data, std::size_t size);
    void PutString(const TRegText& name, DWORD type, const TRegText& text);

    HKEY FRootKey = HKEY_CURRENT_USER;
    UniqueKey FCurrentKey;
    std::wstring FCurrentPath;
    REGSAM FAccessMask = KEY_ALL_ACCESS;
    REGSAM FView = 0;
    bool FFlushOnClose = false;
    // Something changed since the last Close.
    bool FChanged = false;
};

// The four bytes of an integer value, lowest first, and back.
std::array<std::uint8_t, 4> LittleEndianBytes(std::int32_t value);
std::int32_t FromLittleEndian(const std::array<std::uint8_t, 4>& bytes);

// KEY_WOW64_64KEY for a 32-bit program on 64-bit Windows, where the process's own view would
// send HKLM\Software to Wow6432Node; none elsewhere. Asked of the system once.
REGSAM NativeRegistryView();

// The one accessor that the script objects, the tray menu and the list editor share on a thread.
// Start-up makes it, in the native view and flushing every key it closes, before any window
// exists; the end of the program frees it. Another thread that runs the script objects makes
// and frees its own. SharedRegistry fails with std::logic_error outside that time.
void CreateSharedRegistry();
void FreeSharedRegistry();
TRegistry& SharedRegistry();

// The calling thread's shared accessor, for as long as the object lives.
struct TSharedRegistryScope {
    TSharedRegistryScope() { CreateSharedRegistry(); }
    ~TSharedRegistryScope() { FreeSharedRegistry(); }
    TSharedRegistryScope(const TSharedRegistryScope&) = delete;
    TSharedRegistryScope& operator=(const TSharedRegistryScope&) = delete;
};
