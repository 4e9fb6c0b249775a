// The value operations of the registry accessor TRegistry, against the real registry (under
// Wine in a throw-away prefix), each test in a key of its own.
#include "script/Registry.h"
#include "support/ImportPatch.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

using namespace std::string_view_literals;

namespace {

class RegistryValues : public ::testing::Test {
protected:
    TScratchKey Scratch;
    TRegistry Registry;
};

}

TEST_F(RegistryValues, ValueKindKnowsFourPlatformTypes)
{
    Scratch.SetValue("", "sz", REG_SZ, "a\0"sv);
    Scratch.SetValue("", "expand", REG_EXPAND_SZ, "%TEMP%\0"sv);
    Scratch.SetValue("", "dword", REG_DWORD, "\x01\0\0\0"sv);
    Scratch.SetValue("", "binary", REG_BINARY, "\x01"sv);
    Scratch.SetValue("", "multi", REG_MULTI_SZ, "a\0b\0\0"sv);
    Scratch.SetValue("", "qword", REG_QWORD, "\x01\0\0\0\0\0\0\0"sv);
    Scratch.SetValue("", "none", REG_NONE, ""sv);
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));

    EXPECT_EQ(Registry.ValueKind("sz"), RegValueKind::String);
    EXPECT_EQ(Registry.ValueKind("expand"), RegValueKind::ExpandString);
    EXPECT_EQ(Registry.ValueKind("dword"), RegValueKind::Integer);
    EXPECT_EQ(Registry.ValueKind("binary"), RegValueKind::Binary);
    for (const char* name : {"multi", "qword", "none", "missing"})
        EXPECT_EQ(Registry.ValueKind(name), RegValueKind::Unknown) << name;
    EXPECT_EQ(static_cast<int>(RegValueKind::Binary), 4);

    EXPECT_TRUE(Registry.HasValue("none"));
    EXPECT_FALSE(Registry.HasValue("missing"));
    EXPECT_FALSE(Registry.HasValue(""));
    Scratch.SetValue("", "", REG_SZ, "default\0"sv);
    EXPECT_TRUE(Registry.HasValue(""));
    EXPECT_EQ(Registry.ValueKind(""), RegValueKind::String);
}

TEST_F(RegistryValues, GetTextReadsBothStringKindsUpToTheFirstNul)
{
    Scratch.SetValue("", "", REG_SZ, "default\0"sv);
    Scratch.SetValue("", "plain", REG_SZ, "text\0"sv);
    Scratch.SetValue("", "expand", REG_EXPAND_SZ, "%TEMP%\\x\0"sv);
    Scratch.SetValue("", "cut", REG_SZ, "ab\0cd\0"sv);
    Scratch.SetValue("", "unended", REG_SZ, "abc"sv);
    Scratch.SetValue("", "empty", REG_SZ, ""sv);
    Scratch.SetValue("", "emptyBinary", REG_BINARY, ""sv);
    Scratch.SetValue("", "long", REG_SZ, std::string(5000, 'L') + '\0' + "after");
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));

    EXPECT_EQ(Registry.GetText(""), L"default");
    EXPECT_EQ(Registry.GetText("plain"), L"text");
    EXPECT_EQ(Registry.GetText("expand"), L"%TEMP%\\x");
    EXPECT_EQ(Registry.GetText("cut"), L"ab");
    EXPECT_EQ(Registry.GetText("unended"), L"abc");
    EXPECT_EQ(Registry.GetText("empty"), L"");
    EXPECT_EQ(Registry.GetText("emptyBinary"), L"");
    EXPECT_EQ(Registry.GetText("missing"), L"");
    EXPECT_EQ(Registry.GetText("long"), std::wstring(5000, L'L'));
}

TEST_F(RegistryValues, GetTextRefusesEveryOtherKind)
{
    Scratch.SetValue("", "dword", REG_DWORD, "\x01\0\0\0"sv);
    Scratch.SetValue("", "binary", REG_BINARY, "ab\0"sv);
    Scratch.SetValue("", "multi", REG_MULTI_SZ, "a\0\0"sv);
    Scratch.SetValue("", "longBinary", REG_BINARY, std::string(5000, 'B'));
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));

    EXPECT_EQ(RegistryFailure([&] { Registry.GetText("dword"); }), "Invalid data type for 'dword'");
    EXPECT_EQ(RegistryFailure([&] { Registry.GetText("binary"); }), "Invalid data type for 'binary'");
    EXPECT_EQ(RegistryFailure([&] { Registry.GetText("multi"); }), "Invalid data type for 'multi'");
    EXPECT_EQ(RegistryFailure([&] { Registry.GetText("longBinary"); }), "Invalid data type for 'longBinary'");
}

TEST_F(RegistryValues, GetIntReadsIntegersOfUpToFourBytes)
{
    Scratch.SetInt("", "big", 0x12345678);
    Scratch.SetInt("", "negative", 0xFFFFFFFE);
    Scratch.SetInt("", "zero", 0);
    Scratch.SetInt("", "two", 2);
    Scratch.SetValue("", "short", REG_DWORD, "\x05\x01"sv);
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));

    EXPECT_EQ(Registry.GetInt("big"), 0x12345678);
    EXPECT_EQ(Registry.GetInt("negative"), -2);
    EXPECT_EQ(Registry.GetInt("short"), 0x105);
    EXPECT_FALSE(Registry.GetFlag("zero"));
    EXPECT_TRUE(Registry.GetFlag("two"));
    EXPECT_TRUE(Registry.GetFlag("negative"));
}

TEST_F(RegistryValues, GetIntFailsForMissingLongAndOtherValues)
{
    Scratch.SetValue("", "digits", REG_SZ, "12\0"sv);
    Scratch.SetValue("", "longText", REG_SZ, "123456\0"sv);
    Scratch.SetValue("", "binary", REG_BINARY, "\x01\0\0\0"sv);
    Scratch.SetValue("", "wide", REG_BINARY, "\x01\0\0\0\0\0\0\0"sv);
    Scratch.SetValue("", "longInteger", REG_DWORD, "\x01\0\0\0\0\0\0\0"sv);
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));

    EXPECT_EQ(RegistryFailure([&] { Registry.GetInt("missing"); }), "Failed to get data for 'missing'");
    EXPECT_EQ(RegistryFailure([&] { Registry.GetInt("longInteger"); }), "Failed to get data for 'longInteger'");
    EXPECT_EQ(RegistryFailure([&] { Registry.GetInt("longText"); }), "Invalid data type for 'longText'");
    EXPECT_EQ(RegistryFailure([&] { Registry.GetInt("wide"); }), "Invalid data type for 'wide'");
    EXPECT_EQ(RegistryFailure([&] { Registry.GetInt("digits"); }), "Invalid data type for 'digits'");
    EXPECT_EQ(RegistryFailure([&] { Registry.GetFlag("binary"); }), "Invalid data type for 'binary'");
}

TEST_F(RegistryValues, GetBytesReadsBinaryAndTypelessValuesThatFit)
{
    Scratch.SetValue("", "three", REG_BINARY, "\x01\x02\x03"sv);
    Scratch.SetValue("", "empty", REG_BINARY, ""sv);
    Scratch.SetValue("", "none", REG_NONE, "\x09\x08"sv);
    Scratch.SetValue("", "qword", REG_QWORD, "\x01\x02\x03\x04\x05\x06\x07\x08"sv);
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));

    std::array<std::uint8_t, 4> buffer{0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(Registry.GetBytes("three", buffer), 3u);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{1, 2, 3, 0xAA}));
    EXPECT_EQ(Registry.GetBytes("missing", buffer), 0u);
    EXPECT_EQ(Registry.GetBytes("empty", buffer), 0u);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{1, 2, 3, 0xAA}));
    EXPECT_EQ(Registry.GetBytes("none", buffer), 2u);
    EXPECT_EQ(buffer[0], 9);

    std::array<std::uint8_t, 8> wide{};
    EXPECT_EQ(Registry.GetBytes("qword", wide), 8u);
    EXPECT_EQ(wide[7], 8);
}

TEST_F(RegistryValues, GetBytesRefusesOtherKindsAndValuesThatDoNotFit)
{
    Scratch.SetValue("", "five", REG_BINARY, "\x01\x02\x03\x04\x05"sv);
    Scratch.SetValue("", "text", REG_SZ, "a\0"sv);
    Scratch.SetInt("", "dword", 1);
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));

    std::array<std::uint8_t, 4> buffer{};
    for (const char* name : {"five", "text", "dword"})
        EXPECT_EQ(RegistryFailure([&] { Registry.GetBytes(name, buffer); }),
                  "Invalid data type for '" + std::string(name) + "'");
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{}));
}

TEST_F(RegistryValues, PutsStoreTheirTypesAndBytes)
{
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));
    Registry.PutText("text", "abc");
    Registry.PutText("", "default");
    Registry.PutExpandText("expand", "%TEMP%\\x");
    Registry.PutInt("int", -2);
    Registry.PutFlag("on", true);
    Registry.PutFlag("off", false);
    const std::uint8_t bytes[] = {0, 1, 0xFF};
    Registry.PutBytes("bytes", bytes);
    Registry.PutBytes("noBytes", {});

    const auto expect = [&](const std::string& name, DWORD type, std::string_view data) {
        const std::optional<TRawValue> value = Scratch.Value("", name);
        ASSERT_TRUE(value) << name;
        EXPECT_EQ(value->Type, type) << name;
        EXPECT_EQ(value->Data, data) << name;
    };
    expect("text", REG_SZ, "abc\0"sv);
    expect("", REG_SZ, "default\0"sv);
    expect("expand", REG_EXPAND_SZ, "%TEMP%\\x\0"sv);
    expect("int", REG_DWORD, "\xFE\xFF\xFF\xFF"sv);
    expect("on", REG_DWORD, "\x01\0\0\0"sv);
    expect("off", REG_DWORD, "\0\0\0\0"sv);
    expect("bytes", REG_BINARY, "\0\x01\xFF"sv);
    expect("noBytes", REG_BINARY, ""sv);
}

TEST_F(RegistryValues, WritesThatThePlatformRefusesFailNamingTheValue)
{
    ASSERT_TRUE(Registry.OpenForRead(Scratch.Path()));
    EXPECT_EQ(RegistryFailure([&] { Registry.PutText("text", "a"); }), "Failed to set data for 'text'");
    EXPECT_EQ(RegistryFailure([&] { Registry.PutExpandText("expand", "a"); }), "Failed to set data for 'expand'");
    EXPECT_EQ(RegistryFailure([&] { Registry.PutFlag("flag", true); }), "Failed to set data for 'flag'");
    EXPECT_EQ(RegistryFailure([&] { Registry.PutBytes("bytes", {}); }), "Failed to set data for 'bytes'");
    Registry.Close();
    EXPECT_EQ(RegistryFailure([&] { Registry.PutInt("", 1); }), "Failed to set data for ''");
    EXPECT_TRUE(Scratch.ValueNames("").empty());
}

TEST_F(RegistryValues, RemoveValueSaysWhetherTheValueWent)
{
    Scratch.SetValue("", "", REG_SZ, "default\0"sv);
    Scratch.SetInt("", "gone", 1);
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));

    EXPECT_TRUE(Registry.RemoveValue("gone"));
    EXPECT_FALSE(Registry.RemoveValue("gone"));
    EXPECT_TRUE(Registry.RemoveValue(""));
    EXPECT_TRUE(Scratch.ValueNames("").empty());
}

TEST_F(RegistryValues, ListValueNamesGivesEveryNameInEnumerationOrder)
{
    Scratch.SetInt("", "b", 1);
    Scratch.SetValue("", "", REG_SZ, "default\0"sv);
    Scratch.SetInt("", "a", 2);
    Scratch.SetInt("", "the longest name of all", 3);
    Scratch.MakeKey("Empty");

    EXPECT_TRUE(Registry.ListValueNames().empty());

    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));
    const std::vector<std::wstring> listed = Registry.ListValueNames();
    std::vector<std::wstring> enumerated;
    for (const std::string& name : Scratch.ValueNames(""))
        enumerated.push_back(WideFromAnsi(name));
    EXPECT_EQ(listed, enumerated);
    EXPECT_EQ(listed.size(), 4u);
    EXPECT_NE(std::find(listed.begin(), listed.end(), L""), listed.end());

    ASSERT_TRUE(Registry.Open("Empty", false));
    EXPECT_TRUE(Registry.ListValueNames().empty());
}

namespace ValueRemovedWhileListing {
decltype(&::RegQueryInfoKeyW) queryInfo;

// Counts the values, then another program removes one of them.
LONG WINAPI CountThenRemove(HKEY key, LPWSTR className, LPDWORD classLength, LPDWORD reserved, LPDWORD subKeys,
                            LPDWORD longestSubKey, LPDWORD longestClass, LPDWORD values, LPDWORD longestValueName,
                            LPDWORD longestValue, LPDWORD securityLength, PFILETIME lastWrite)
{
    const LONG result = queryInfo(key, className, classLength, reserved, subKeys, longestSubKey, longestClass, values,
                                  longestValueName, longestValue, securityLength, lastWrite);
    ::RegDeleteValueW(key, L"b");
    return result;
}
}

TEST_F(RegistryValues, ListValueNamesLeavesOutAValueRemovedWhileListing)
{
    for (const char* name : {"a", "b", "c"})
        Scratch.SetInt("", name, 1);
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));
    std::vector<std::wstring> names;
    {
        const TImportPatch patch("advapi32.dll", "RegQueryInfoKeyW", &ValueRemovedWhileListing::CountThenRemove);
        ValueRemovedWhileListing::queryInfo = patch.Original();
        names = Registry.ListValueNames();
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a", L"c"}));
}

// Names and texts longer than the platform first said, as when they grow between two calls.
namespace GrowingValues {
constexpr DWORD LongerName = 40;
std::vector<DWORD> nameBuffers;
decltype(&::RegQueryValueExW) queryValue;
decltype(&::RegEnumValueW) enumValue;

LONG WINAPI EnumValue(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD reserved, LPDWORD type,
                      LPBYTE data, LPDWORD dataLength)
{
    nameBuffers.push_back(*nameLength);
    return *nameLength < LongerName ? ERROR_MORE_DATA
                                    : enumValue(key, index, name, nameLength, reserved, type, data, dataLength);
}

LONG WINAPI QueryValue(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size)
{
    const LONG result = queryValue(key, name, reserved, type, data, size);
    if (result == ERROR_MORE_DATA)
        *size /= 2;
    return result;
}
}

TEST_F(RegistryValues, NamesAndTextsThatGrowWhileReadAreReadWhole)
{
    using namespace GrowingValues;
    const TImportPatch values("advapi32.dll", "RegEnumValueW", &EnumValue);
    const TImportPatch query("advapi32.dll", "RegQueryValueExW", &QueryValue);
    enumValue = values.Original();
    queryValue = query.Original();
    Scratch.SetInt("", "five5", 1);
    Scratch.SetValue("", "text", REG_SZ, std::string(300, 'x') + '\0');
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));

    EXPECT_EQ(Registry.ListValueNames(), (std::vector<std::wstring>{L"five5", L"text"}));
    // From the longest name the key reported, doubled while too short.
    EXPECT_EQ(nameBuffers, (std::vector<DWORD>{6, 12, 24, 48, 48}));
    EXPECT_EQ(Registry.GetText("text"), std::wstring(300, L'x'));
}
