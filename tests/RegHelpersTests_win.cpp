// The shared registry accessor and the one-call helpers built on it, against the real
// registry (under Wine in a throw-away prefix), each test in a key of its own.
#include "script/RegHelpers.h"
#include "support/ImportPatch.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <thread>
#include <string_view>
#include <vector>

using namespace std::string_view_literals;

namespace {

class RegistryHelpers : public ::testing::Test {
protected:
    RegistryHelpers() { CreateSharedRegistry(); }
    ~RegistryHelpers() override { FreeSharedRegistry(); }

    std::string Type(const std::string& name) const
    {
        const std::optional<TRawValue> value = Scratch.Value("", name);
        return !value ? "missing" : value->Type == REG_DWORD ? "dword" : value->Type == REG_BINARY ? "binary" : "other";
    }
    std::string Data(const std::string& name) const { return Scratch.Value("", name).value_or(TRawValue{}).Data; }

    TScratchKey Scratch;
};

}

TEST(SharedRegistry, ExistsFromStartUpToTheEndWithFlushingOn)
{
    EXPECT_THROW(SharedRegistry(), std::logic_error);
    CreateSharedRegistry();
    EXPECT_TRUE(SharedRegistry().FlushOnClose());
    EXPECT_EQ(SharedRegistry().RootKey(), HKEY_CURRENT_USER);
    EXPECT_EQ(SharedRegistry().AccessMask(), static_cast<REGSAM>(KEY_ALL_ACCESS));
    FreeSharedRegistry();
    EXPECT_THROW(SharedRegistry(), std::logic_error);
    EXPECT_THROW(RegGetString(HKEY_CURRENT_USER, "Software", ""), std::logic_error);
}

TEST_F(RegistryHelpers, AnotherThreadMakesItsOwnAndLeavesThisThreadsKeyOpen)
{
    Scratch.SetValue("", "plain", REG_SZ, "text\0"sv);
    ASSERT_TRUE(SharedRegistry().OpenForRead(Scratch.Path()));
    std::string other;
    std::thread([&] {
        try {
            SharedRegistry();
            other = "shared";
        } catch (const std::logic_error&) {
            other = "none";
        }
        CreateSharedRegistry();
        other += RegGetString(HKEY_CURRENT_USER, Scratch.Path(), "plain") == L"text" ? " own" : " wrong";
        FreeSharedRegistry();
    }).join();
    EXPECT_EQ(other, "none own");
    EXPECT_EQ(SharedRegistry().CurrentPath(), WideFromAnsi(Scratch.Path()));
}

TEST_F(RegistryHelpers, RegGetStringGivesTheTextOrEmptyTextForWhatIsMissing)
{
    Scratch.SetValue("", "plain", REG_SZ, "text\0"sv);
    Scratch.SetValue("", "expand", REG_EXPAND_SZ, "%TEMP%\0"sv);

    EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, Scratch.Path(), "plain"), L"text");
    EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, "\\" + Scratch.Path(), "expand"), L"%TEMP%");
    EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, Scratch.Path(), "missing"), L"");
    EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, Scratch.PathOf("Missing"), "plain"), L"");
    EXPECT_EQ(RegGetString(nullptr, Scratch.Path(), "plain"), L"");
    EXPECT_EQ(SharedRegistry().CurrentKey(), nullptr);
}

TEST_F(RegistryHelpers, AFailedReadClosesItsKeySoTheNextPathStartsAtTheHive)
{
    Scratch.SetInt("", "count", 1);
    Scratch.SetValue("", "wide", REG_BINARY, "\x01\0\0\0\0\0\0\0"sv);
    Scratch.SetValue("", "plain", REG_SZ, "text\0"sv);

    EXPECT_EQ(RegistryFailure([&] { RegGetString(HKEY_CURRENT_USER, Scratch.Path(), "count"); }),
              "Invalid data type for 'count'");
    EXPECT_EQ(SharedRegistry().CurrentKey(), nullptr);
    EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, Scratch.Path(), "plain"), L"text");

    EXPECT_EQ(RegistryFailure([&] { RegGetInt(HKEY_CURRENT_USER, Scratch.Path(), "wide"); }),
              "Invalid data type for 'wide'");
    EXPECT_EQ(SharedRegistry().CurrentKey(), nullptr);
    EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, Scratch.Path(), "plain"), L"text");
}

TEST_F(RegistryHelpers, HelpersSetTheirHiveFirst)
{
    Scratch.SetValue("", "plain", REG_SZ, "text\0"sv);
    SharedRegistry().SetRoot(nullptr);
    EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, Scratch.Path(), "plain"), L"text");
    EXPECT_EQ(SharedRegistry().RootKey(), HKEY_CURRENT_USER);

    EXPECT_FALSE(RegPutString(nullptr, Scratch.Path(), "plain", "changed"));
    EXPECT_EQ(SharedRegistry().RootKey(), nullptr);
    EXPECT_EQ(Data("plain"), "text\0"sv);
}

TEST_F(RegistryHelpers, RegGetIntReadsIntegersAndBinariesOfUpToFourBytes)
{
    Scratch.SetInt("", "dword", 7);
    Scratch.SetValue("", "one", REG_BINARY, "\x01\0\0\0"sv);
    Scratch.SetValue("", "allOnes", REG_BINARY, "\xFF\xFF\xFF\xFF"sv);
    Scratch.SetValue("", "twoBytes", REG_BINARY, "\x34\x12"sv);
    Scratch.SetValue("", "noBytes", REG_BINARY, ""sv);
    Scratch.SetValue("", "digits", REG_SZ, "12\0"sv);
    Scratch.SetValue("", "expand", REG_EXPAND_SZ, "12\0"sv);
    Scratch.SetValue("", "multi", REG_MULTI_SZ, "12\0\0"sv);

    const auto read = [&](const char* name) { return RegGetInt(HKEY_CURRENT_USER, Scratch.Path(), name); };
    EXPECT_EQ(read("dword"), 7);
    EXPECT_EQ(read("one"), 1);
    EXPECT_EQ(read("allOnes"), -1);
    EXPECT_EQ(read("twoBytes"), 0x1234);
    EXPECT_EQ(read("noBytes"), 0);
    for (const char* name : {"digits", "expand", "multi", "missing"})
        EXPECT_EQ(read(name), 0) << name;
    EXPECT_EQ(RegGetInt(HKEY_CURRENT_USER, Scratch.PathOf("Missing"), "dword"), 0);
}

TEST_F(RegistryHelpers, RegGetBoolGivesTheFallbackOnlyForWhatIsMissing)
{
    Scratch.SetInt("", "zero", 0);
    Scratch.SetInt("", "two", 2);
    Scratch.SetValue("", "text", REG_SZ, "1\0"sv);
    Scratch.SetValue("", "wide", REG_BINARY, "\x01\0\0\0\0"sv);

    const auto read = [&](const char* name, bool fallback) {
        return RegGetBool(HKEY_CURRENT_USER, Scratch.Path(), name, fallback);
    };
    EXPECT_TRUE(read("missing", true));
    EXPECT_FALSE(read("missing", false));
    EXPECT_TRUE(RegGetBool(HKEY_CURRENT_USER, Scratch.PathOf("Missing"), "two", true));
    EXPECT_FALSE(read("zero", true));
    EXPECT_TRUE(read("two", false));
    EXPECT_EQ(RegistryFailure([&] { read("text", false); }), "Invalid data type for 'text'");
    EXPECT_EQ(RegistryFailure([&] { read("wide", false); }), "Invalid data type for 'wide'");
    EXPECT_EQ(SharedRegistry().CurrentKey(), nullptr);
}

TEST_F(RegistryHelpers, RegPutStringAndRegPutBoolWriteOnlyIntoAnExistingKey)
{
    Scratch.SetValue("", "flag", REG_SZ, "yes\0"sv);

    EXPECT_TRUE(RegPutString(HKEY_CURRENT_USER, Scratch.Path(), "text", "written"));
    EXPECT_EQ(Data("text"), "written\0"sv);
    EXPECT_TRUE(RegPutBool(HKEY_CURRENT_USER, Scratch.Path(), "flag", true));
    EXPECT_EQ(Type("flag"), "dword");
    EXPECT_EQ(Data("flag"), "\x01\0\0\0"sv);
    EXPECT_TRUE(RegPutBool(HKEY_CURRENT_USER, Scratch.Path(), "flag", false));
    EXPECT_EQ(Data("flag"), "\0\0\0\0"sv);

    EXPECT_FALSE(RegPutString(HKEY_CURRENT_USER, Scratch.PathOf("Missing"), "text", "lost"));
    EXPECT_FALSE(RegPutBool(HKEY_CURRENT_USER, Scratch.PathOf("Missing\\Deeper"), "flag", true));
    EXPECT_FALSE(Scratch.HasKey("Missing"));
    EXPECT_EQ(SharedRegistry().AccessMask(), static_cast<REGSAM>(KEY_ALL_ACCESS));
}

TEST_F(RegistryHelpers, RegPutIntKeepsBinaryValuesBinaryAndStringsUnchanged)
{
    Scratch.SetValue("", "binary", REG_BINARY, "\x01\x02\x03\x04\x05\x06\x07\x08"sv);
    Scratch.SetValue("", "text", REG_SZ, "12\0"sv);
    Scratch.SetValue("", "expand", REG_EXPAND_SZ, "12\0"sv);
    Scratch.SetInt("", "dword", 1);
    Scratch.SetValue("", "multi", REG_MULTI_SZ, "a\0\0"sv);

    for (const char* name : {"binary", "dword", "multi", "missing"})
        EXPECT_TRUE(RegPutInt(HKEY_CURRENT_USER, Scratch.Path(), name, 0x11223344)) << name;
    for (const char* name : {"text", "expand"})
        EXPECT_FALSE(RegPutInt(HKEY_CURRENT_USER, Scratch.Path(), name, 0x11223344)) << name;
    EXPECT_EQ(Type("binary"), "binary");
    EXPECT_EQ(Data("binary"), "\x44\x33\x22\x11"sv);
    EXPECT_EQ(Data("text"), "12\0"sv);
    EXPECT_EQ(Data("expand"), "12\0"sv);
    for (const char* name : {"dword", "multi", "missing"}) {
        EXPECT_EQ(Type(name), "dword") << name;
        EXPECT_EQ(Data(name), "\x44\x33\x22\x11"sv) << name;
    }

    EXPECT_FALSE(RegPutInt(HKEY_CURRENT_USER, Scratch.PathOf("Missing"), "dword", 1));
    EXPECT_FALSE(Scratch.HasKey("Missing"));
}

TEST_F(RegistryHelpers, RegHasValueAndRegDropValue)
{
    Scratch.SetInt("", "present", 1);

    EXPECT_TRUE(RegHasValue(HKEY_CURRENT_USER, Scratch.Path(), "present"));
    EXPECT_FALSE(RegHasValue(HKEY_CURRENT_USER, Scratch.Path(), "missing"));
    EXPECT_FALSE(RegHasValue(HKEY_CURRENT_USER, Scratch.Path(), ""));
    EXPECT_FALSE(RegHasValue(HKEY_CURRENT_USER, Scratch.PathOf("Missing"), "present"));
    Scratch.SetValue("", "", REG_SZ, "default\0"sv);
    EXPECT_TRUE(RegHasValue(HKEY_CURRENT_USER, Scratch.Path(), ""));

    RegDropValue(HKEY_CURRENT_USER, Scratch.Path(), "present");
    RegDropValue(HKEY_CURRENT_USER, Scratch.Path(), "missing");
    RegDropValue(HKEY_CURRENT_USER, Scratch.PathOf("Missing"), "");
    EXPECT_EQ(Scratch.ValueNames(""), std::vector<std::string>{""});
    EXPECT_FALSE(Scratch.HasKey("Missing"));
}

TEST_F(RegistryHelpers, AKeyOpenOnlyForQueriesIsReadButNeverWritten)
{
    Scratch.MakeKey("QueryOnly");
    Scratch.SetValue("QueryOnly", "text", REG_SZ, "kept\0"sv);
    Scratch.SetInt("QueryOnly", "number", 3);
    const TRestrictedKey queryOnly(Scratch, "QueryOnly", KEY_QUERY_VALUE);
    const std::string path = Scratch.PathOf("QueryOnly");

    EXPECT_EQ(RegGetString(HKEY_CURRENT_USER, path, "text"), L"kept");
    EXPECT_EQ(RegGetInt(HKEY_CURRENT_USER, path, "number"), 3);
    EXPECT_TRUE(RegGetBool(HKEY_CURRENT_USER, path, "number", false));
    EXPECT_TRUE(RegHasValue(HKEY_CURRENT_USER, path, "text"));
    EXPECT_EQ(SharedRegistry().AccessMask(), static_cast<REGSAM>(KEY_QUERY_VALUE));

    EXPECT_FALSE(RegPutString(HKEY_CURRENT_USER, path, "text", "changed"));
    EXPECT_FALSE(RegPutInt(HKEY_CURRENT_USER, path, "number", 4));
    RegDropValue(HKEY_CURRENT_USER, path, "text");
    EXPECT_EQ(Scratch.Value("QueryOnly", "text")->Data, "kept\0"sv);
    EXPECT_EQ(Scratch.Value("QueryOnly", "number")->Data, "\x03\0\0\0"sv);
}

namespace FlushCount {
std::vector<HKEY> flushed;
decltype(&::RegFlushKey) flushKey;

LONG WINAPI RecordFlush(HKEY key)
{
    flushed.push_back(key);
    return flushKey(key);
}
}

TEST_F(RegistryHelpers, HelpersFlushWhatTheyChangedAndReadsFlushNothing)
{
    const TImportPatch patch("advapi32.dll", "RegFlushKey", &FlushCount::RecordFlush);
    FlushCount::flushKey = patch.Original();

    RegPutString(HKEY_CURRENT_USER, Scratch.Path(), "text", "a");
    EXPECT_EQ(FlushCount::flushed.size(), 1u);
    RegGetString(HKEY_CURRENT_USER, Scratch.Path(), "text");
    RegGetInt(HKEY_CURRENT_USER, Scratch.Path(), "missing");
    RegHasValue(HKEY_CURRENT_USER, Scratch.Path(), "text");
    EXPECT_EQ(FlushCount::flushed.size(), 1u);
    RegDropValue(HKEY_CURRENT_USER, Scratch.Path(), "text");
    EXPECT_EQ(FlushCount::flushed.size(), 2u);
    RegDropValue(HKEY_CURRENT_USER, Scratch.Path(), "text");
    RegPutString(HKEY_CURRENT_USER, Scratch.PathOf("Missing"), "text", "a");
    EXPECT_EQ(FlushCount::flushed.size(), 2u);
}
