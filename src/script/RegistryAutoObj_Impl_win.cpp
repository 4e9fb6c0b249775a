#include "script/RegistryAutoObj_Impl.h"

#include "script/RegHelpers.h"
#include "script/RootKeyName.h"

#include <cstdint>
#include <optional>

namespace {

HKEY Hive(BSTR rootKey)
{
    return HiveKey(RootKeyFromName(AnsiFromBstr(rootKey)));
}

TRegText Text(BSTR text)
{
    return WideFromBstr(text);
}

// SetRoot, then the existing key opened with full access, never made; the key is closed
// when the operation ends.
bool OpenForWriting(TSharedRegistryOperation& operation, BSTR key)
{
    operation.Registry().SetAccessMask(KEY_ALL_ACCESS);
    return operation.Registry().Open(Text(key), false);
}

// The names the tweak definitions give the types; a type the pages cannot write is "other".
std::string TypeName(RegValueKind kind)
{
    switch (kind) {
    case RegValueKind::String: return "sz";
    case RegValueKind::ExpandString: return "expand";
    case RegValueKind::Integer: return "dword";
    case RegValueKind::Binary: return "binary";
    default: return "other";
    }
}

std::wstring HexFromBytes(const std::vector<std::uint8_t>& bytes)
{
    static constexpr wchar_t Digits[] = L"0123456789ABCDEF";
    std::wstring text;
    text.reserve(2 * bytes.size());
    for (const std::uint8_t byte : bytes) {
        text += Digits[byte >> 4];
        text += Digits[byte & 0xF];
    }
    return text;
}

}

HRESULT TRegistryAutoObj::RegReadString(BSTR rootKey, BSTR key, BSTR name, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultText(res, RegGetString(Hive(rootKey), Text(key), Text(name))); });
}

HRESULT TRegistryAutoObj::RegWriteString(BSTR rootKey, BSTR key, BSTR name, BSTR val, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultBool(res, RegPutString(Hive(rootKey), Text(key), Text(name), Text(val))); });
}

HRESULT TRegistryAutoObj::RegReadInt(BSTR rootKey, BSTR key, BSTR name, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultInt(res, RegGetInt(Hive(rootKey), Text(key), Text(name))); });
}

HRESULT TRegistryAutoObj::RegWriteInt(BSTR rootKey, BSTR key, BSTR name, LONG val, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultBool(res, RegPutInt(Hive(rootKey), Text(key), Text(name), val)); });
}

HRESULT TRegistryAutoObj::RegReadBool(BSTR rootKey, BSTR key, BSTR name, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultBool(res, RegGetBool(Hive(rootKey), Text(key), Text(name), false)); });
}

HRESULT TRegistryAutoObj::RegWriteBool(BSTR rootKey, BSTR key, BSTR name, VARIANT_BOOL val, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultBool(res, RegPutBool(Hive(rootKey), Text(key), Text(name), val != 0)); });
}

HRESULT TRegistryAutoObj::RegValueExists(BSTR rootKey, BSTR key, BSTR name, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultBool(res, RegHasValue(Hive(rootKey), Text(key), Text(name))); });
}

HRESULT TRegistryAutoObj::HasFullAccess(BSTR rootKey, BSTR key, VARIANT* res)
{
    return ScriptCall(res, [&] {
        const TSharedRegistryOperation operation(Hive(rootKey));
        SetResultBool(res, operation.Registry().HasFullAccess(Text(key)));
    });
}

HRESULT TRegistryAutoObj::ValuesCount(BSTR rootKey, BSTR key, VARIANT* res)
{
    return ScriptCall(res, [&] {
        std::size_t count = 0;
        {
            TSharedRegistryOperation operation(Hive(rootKey));
            if (operation.Registry().OpenForRead(Text(key)))
                count = operation.Registry().ListValueNames().size();
        }
        SetResultInt(res, static_cast<long>(count));
    });
}

HRESULT TRegistryAutoObj::RegDeleteValue(BSTR rootKey, BSTR key, BSTR name, VARIANT* res)
{
    return ScriptCall(res, [&] {
        TSharedRegistryOperation operation(Hive(rootKey));
        SetResultBool(res, OpenForWriting(operation, key) && operation.Registry().RemoveValue(Text(name)));
    });
}

HRESULT TRegistryAutoObj::RegCreateKey(BSTR rootKey, BSTR key, VARIANT* res)
{
    return ScriptCall(res, [&] {
        TSharedRegistryOperation operation(Hive(rootKey));
        operation.Registry().SetAccessMask(KEY_ALL_ACCESS);
        operation.Registry().MakeKey(Text(key));
        SetResultBool(res, true);
    });
}

// Makes the key like RegCreateKey, but gives true only when this call made it: of two callers
// that make the same key, exactly one learns that it is new, so a page can take a name with it.
HRESULT TRegistryAutoObj::RegCreateNewKey(BSTR rootKey, BSTR key, VARIANT* res)
{
    return ScriptCall(res, [&] {
        TSharedRegistryOperation operation(Hive(rootKey));
        operation.Registry().SetAccessMask(KEY_ALL_ACCESS);
        SetResultBool(res, operation.Registry().MakeKey(Text(key)));
    });
}

HRESULT TRegistryAutoObj::RegDeleteKey(BSTR rootKey, BSTR key, VARIANT_BOOL delIfHasSubkeys, VARIANT* res)
{
    return ScriptCall(res, [&] {
        SetResultBool(res, false);
        const HKEY hive = Hive(rootKey);
        const TRegText path = Text(key);
        bool proceed = false;
        {
            TSharedRegistryOperation reading(hive);
            proceed = reading.Registry().OpenForRead(path) &&
                      (delIfHasSubkeys != 0 || !reading.Registry().HasChildKeys());
        }
        if (!proceed)
            return;
        TSharedRegistryOperation deleting(hive);
        deleting.Registry().SetAccessMask(KEY_ALL_ACCESS);
        SetResultBool(res, deleting.Registry().HasKey(path) && deleting.Registry().RemoveKeyTree(path));
    });
}

HRESULT TRegistryAutoObj::RegKeyExists(BSTR rootKey, BSTR key, VARIANT* res)
{
    return ScriptCall(res, [&] {
        TSharedRegistryOperation operation(Hive(rootKey));
        operation.Registry().SetAccessMask(KEY_ALL_ACCESS);
        SetResultBool(res, operation.Registry().HasKey(Text(key)));
    });
}

HRESULT TRegistryAutoObj::RegWriteExpandString(BSTR rootKey, BSTR key, BSTR name, BSTR val, VARIANT* res)
{
    return ScriptCall(res, [&] {
        TSharedRegistryOperation operation(Hive(rootKey));
        const bool opened = OpenForWriting(operation, key);
        if (opened)
            operation.Registry().PutExpandText(Text(name), Text(val));
        SetResultBool(res, opened);
    });
}

HRESULT TRegistryAutoObj::ValuesNames(BSTR rootKey, BSTR key, LONG idx, VARIANT* res)
{
    return ScriptCall(res, [&] {
        if (idx >= 0) {
            const auto index = static_cast<std::size_t>(idx);
            SetResultText(res, index < NameList.size() ? std::wstring_view(NameList[index]) : std::wstring_view());
            return;
        }
        NameList.clear();
        {
            TSharedRegistryOperation operation(Hive(rootKey));
            if (operation.Registry().OpenForRead(Text(key)))
                NameList = operation.Registry().ListValueNames();
        }
        SetResultInt(res, static_cast<long>(NameList.size()));
    });
}

// Lets a page put a value back exactly as it was: RegReadString alone cannot tell an
// expandable string from a plain one.
HRESULT TRegistryAutoObj::RegValueType(BSTR rootKey, BSTR key, BSTR name, VARIANT* res)
{
    return ScriptCall(res, [&] {
        const TSharedRegistryOperation operation(Hive(rootKey));
        TRegistry& registry = operation.Registry();
        const TRegText value = Text(name);
        const bool present = registry.OpenForRead(Text(key)) && registry.HasValue(value);
        SetResultText(res, present ? TypeName(registry.ValueKind(value)) : std::string());
    });
}

HRESULT TRegistryAutoObj::RegReadBinary(BSTR rootKey, BSTR key, BSTR name, VARIANT* res)
{
    return ScriptCall(res, [&] {
        std::vector<std::uint8_t> bytes;
        {
            const TSharedRegistryOperation operation(Hive(rootKey));
            if (operation.Registry().OpenForRead(Text(key)))
                bytes = operation.Registry().GetBinary(Text(name));
        }
        SetResultText(res, HexFromBytes(bytes));
    });
}

HRESULT TRegistryAutoObj::RegWriteBinary(BSTR rootKey, BSTR key, BSTR name, BSTR hexText, VARIANT* res)
{
    return ScriptCall(res, [&] {
        const TRegText value = Text(name);
        // Checked before the key is opened: a malformed text writes nothing.
        const std::optional<std::vector<std::uint8_t>> bytes = BytesFromHex(WideFromBstr(hexText));
        if (!bytes)
            throw ERegistryException::InvalidHexText(value);
        TSharedRegistryOperation operation(Hive(rootKey));
        const bool opened = OpenForWriting(operation, key);
        if (opened)
            operation.Registry().PutBytes(value, *bytes);
        SetResultBool(res, opened);
    });
}
