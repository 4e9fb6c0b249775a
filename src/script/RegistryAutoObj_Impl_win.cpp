#include "script/RegistryAutoObj_Impl.h"

#include "script/RegHelpers.h"
#include "script/RootKeyName.h"

namespace {

HKEY Hive(BSTR rootKey)
{
    return HiveKey(RootKeyFromName(AnsiFromBstr(rootKey)));
}

std::string Text(BSTR text)
{
    return AnsiFromBstr(text);
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

}

HRESULT TRegistryAutoObj::RegReadString(BSTR rootKey, BSTR key, BSTR name, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultText(res, RegGetString(Hive(rootKey), Text(key), Text(name))); });
}

HRESULT TRegistryAutoObj::RegWriteString(BSTR rootKey, BSTR key, BSTR name, BSTR val, VARIANT* res)
{
    return ScriptCall(res, [&] { RegPutString(Hive(rootKey), Text(key), Text(name), Text(val)); });
}

HRESULT TRegistryAutoObj::RegReadInt(BSTR rootKey, BSTR key, BSTR name, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultInt(res, RegGetInt(Hive(rootKey), Text(key), Text(name))); });
}

HRESULT TRegistryAutoObj::RegWriteInt(BSTR rootKey, BSTR key, BSTR name, LONG val, VARIANT* res)
{
    return ScriptCall(res, [&] { RegPutInt(Hive(rootKey), Text(key), Text(name), val); });
}

HRESULT TRegistryAutoObj::RegReadBool(BSTR rootKey, BSTR key, BSTR name, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultBool(res, RegGetBool(Hive(rootKey), Text(key), Text(name), false)); });
}

HRESULT TRegistryAutoObj::RegWriteBool(BSTR rootKey, BSTR key, BSTR name, VARIANT_BOOL val, VARIANT* res)
{
    return ScriptCall(res, [&] { RegPutBool(Hive(rootKey), Text(key), Text(name), val != 0); });
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
        TStringList names;
        {
            TSharedRegistryOperation operation(Hive(rootKey));
            if (operation.Registry().OpenForRead(Text(key)))
                operation.Registry().ListValueNames(names);
        }
        SetResultInt(res, static_cast<long>(names.Count()));
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

HRESULT TRegistryAutoObj::RegDeleteKey(BSTR rootKey, BSTR key, VARIANT_BOOL delIfHasSubkeys, VARIANT* res)
{
    return ScriptCall(res, [&] {
        SetResultBool(res, false);
        const HKEY hive = Hive(rootKey);
        const std::string path = Text(key);
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
        if (OpenForWriting(operation, key))
            operation.Registry().PutExpandText(Text(name), Text(val));
    });
}

HRESULT TRegistryAutoObj::ValuesNames(BSTR rootKey, BSTR key, LONG idx, VARIANT* res)
{
    return ScriptCall(res, [&] {
        if (idx >= 0) {
            const auto index = static_cast<std::size_t>(idx);
            SetResultText(res, index < NameList.Count() ? NameList.Strings(index) : std::string());
            return;
        }
        NameList.Clear();
        {
            TSharedRegistryOperation operation(Hive(rootKey));
            if (operation.Registry().OpenForRead(Text(key)))
                operation.Registry().ListValueNames(NameList);
        }
        SetResultInt(res, static_cast<long>(NameList.Count()));
    });
}

// Lets a page put a value back exactly as it was: RegReadString alone cannot tell an
// expandable string from a plain one.
HRESULT TRegistryAutoObj::RegValueType(BSTR rootKey, BSTR key, BSTR name, VARIANT* res)
{
    return ScriptCall(res, [&] {
        const TSharedRegistryOperation operation(Hive(rootKey));
        TRegistry& registry = operation.Registry();
        const std::string value = Text(name);
        const bool present = registry.OpenForRead(Text(key)) && registry.HasValue(value);
        SetResultText(res, present ? TypeName(registry.ValueKind(value)) : std::string());
    });
}
