#include "script/RegHelpers.h"

namespace {

bool OpenForWriting(TRegistry& registry, const TRegText& key)
{
    registry.SetAccessMask(KEY_ALL_ACCESS);
    return registry.Open(key, false);
}

// Whether it wrote: a string value is left alone.
bool PutIntKeepingKind(TRegistry& registry, const TRegText& name, std::int32_t value)
{
    switch (registry.ValueKind(name)) {
    case RegValueKind::Unknown:
    case RegValueKind::Integer:
        registry.PutInt(name, value);
        return true;
    case RegValueKind::Binary:
        registry.PutBytes(name, LittleEndianBytes(value));
        return true;
    case RegValueKind::String:
    case RegValueKind::ExpandString:
        break;
    }
    return false;
}

std::int32_t ReadIntegerOrBinary(const TRegistry& registry, const TRegText& name)
{
    switch (registry.ValueKind(name)) {
    case RegValueKind::Integer:
        return registry.GetInt(name);
    case RegValueKind::Binary: {
        std::array<std::uint8_t, 4> bytes{};
        registry.GetBytes(name, bytes);
        return FromLittleEndian(bytes);
    }
    default:
        return 0;
    }
}

}

TSharedRegistryOperation::TSharedRegistryOperation(HKEY hive) : FRegistry(SharedRegistry())
{
    FRegistry.SetRoot(hive);
}

TSharedRegistryOperation::~TSharedRegistryOperation()
{
    FRegistry.Close();
}

std::wstring RegGetString(HKEY hive, const TRegText& key, const TRegText& name)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    return registry.OpenForRead(key) ? registry.GetText(name) : std::wstring();
}

bool RegGetBool(HKEY hive, const TRegText& key, const TRegText& name, bool fallback)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    return registry.OpenForRead(key) && registry.HasValue(name) ? registry.GetFlag(name) : fallback;
}

std::int32_t RegGetInt(HKEY hive, const TRegText& key, const TRegText& name)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    return registry.OpenForRead(key) ? ReadIntegerOrBinary(registry, name) : 0;
}

bool RegPutString(HKEY hive, const TRegText& key, const TRegText& name, const TRegText& text)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    const bool opened = OpenForWriting(registry, key);
    if (opened)
        registry.PutText(name, text);
    return opened;
}

bool RegPutBool(HKEY hive, const TRegText& key, const TRegText& name, bool value)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    const bool opened = OpenForWriting(registry, key);
    if (opened)
        registry.PutFlag(name, value);
    return opened;
}

bool RegPutInt(HKEY hive, const TRegText& key, const TRegText& name, std::int32_t value)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    return OpenForWriting(registry, key) && PutIntKeepingKind(registry, name, value);
}

bool RegHasValue(HKEY hive, const TRegText& key, const TRegText& name)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    return registry.OpenForRead(key) && registry.HasValue(name);
}

void RegDropValue(HKEY hive, const TRegText& key, const TRegText& name)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    if (OpenForWriting(registry, key))
        registry.RemoveValue(name);
}
