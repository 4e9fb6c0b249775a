#include "script/RegHelpers.h"

namespace {

bool OpenForWriting(TRegistry& registry, const std::string& key)
{
    registry.SetAccessMask(KEY_ALL_ACCESS);
    return registry.Open(key, false);
}

void PutIntKeepingKind(TRegistry& registry, const std::string& name, std::int32_t value)
{
    switch (registry.ValueKind(name)) {
    case RegValueKind::Unknown:
    case RegValueKind::Integer:
        registry.PutInt(name, value);
        break;
    case RegValueKind::Binary:
        registry.PutBytes(name, LittleEndianBytes(value));
        break;
    case RegValueKind::String:
    case RegValueKind::ExpandString:
        break;
    }
}

std::int32_t ReadIntegerOrBinary(const TRegistry& registry, const std::string& name)
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

std::string RegGetString(HKEY hive, const std::string& key, const std::string& name)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    return registry.OpenForRead(key) ? registry.GetText(name) : std::string();
}

bool RegGetBool(HKEY hive, const std::string& key, const std::string& name, bool fallback)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    return registry.OpenForRead(key) && registry.HasValue(name) ? registry.GetFlag(name) : fallback;
}

std::int32_t RegGetInt(HKEY hive, const std::string& key, const std::string& name)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    return registry.OpenForRead(key) ? ReadIntegerOrBinary(registry, name) : 0;
}

bool RegPutString(HKEY hive, const std::string& key, const std::string& name, const std::string& text)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    const bool opened = OpenForWriting(registry, key);
    if (opened)
        registry.PutText(name, text);
    return opened;
}

bool RegPutBool(HKEY hive, const std::string& key, const std::string& name, bool value)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    const bool opened = OpenForWriting(registry, key);
    if (opened)
        registry.PutFlag(name, value);
    return opened;
}

bool RegPutInt(HKEY hive, const std::string& key, const std::string& name, std::int32_t value)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    const bool opened = OpenForWriting(registry, key);
    if (opened)
        PutIntKeepingKind(registry, name, value);
    return opened;
}

bool RegHasValue(HKEY hive, const std::string& key, const std::string& name)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    return registry.OpenForRead(key) && registry.HasValue(name);
}

void RegDropValue(HKEY hive, const std::string& key, const std::string& name)
{
    const TSharedRegistryOperation operation(hive);
    TRegistry& registry = operation.Registry();
    if (OpenForWriting(registry, key))
        registry.RemoveValue(name);
}
