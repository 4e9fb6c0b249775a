// The hive names of page scripts, and the key operations of the registry accessor TRegistry
// against the real registry (under Wine in a throw-away prefix), each test in a key of its own.
#include "script/RootKeyName.h"

#include <gtest/gtest.h>

TEST(RootKeyFromName, ShortNamesInAnyLetterCase)
{
    EXPECT_EQ(RootKeyFromName("HKCR"), HiveClassesRoot);
    EXPECT_EQ(RootKeyFromName("HKCU"), HiveCurrentUser);
    EXPECT_EQ(RootKeyFromName("hkcu"), HiveCurrentUser);
    EXPECT_EQ(RootKeyFromName("hkLm"), HiveLocalMachine);
    EXPECT_EQ(RootKeyFromName("HKU"), HiveUsers);
    EXPECT_EQ(RootKeyFromName("hkcc"), HiveCurrentConfig);
    EXPECT_EQ(RootKeyFromName("HKPD"), HivePerformanceData);
    EXPECT_EQ(RootKeyFromName("hKdD"), HiveDynData);
}

TEST(RootKeyFromName, OnlyTheThirdCharacterAndAfterCTheFourthDecide)
{
    EXPECT_EQ(RootKeyFromName("ZZLM"), HiveLocalMachine);
    EXPECT_EQ(RootKeyFromName("HKCUX"), HiveCurrentUser);
    EXPECT_EQ(RootKeyFromName("..u"), HiveUsers);
    EXPECT_EQ(RootKeyFromName("HKUX"), HiveUsers);
    EXPECT_EQ(RootKeyFromName("HKCR\\Software"), HiveClassesRoot);
}

TEST(RootKeyFromName, EveryOtherNameGivesNoHive)
{
    for (const char* name : {"", "H", "HK", "HKC", "HKCX", "HKC\\", "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKX",
                             "HK U", "HK\xFC", "HKC\xDC", "hk\xE7u"})
        EXPECT_EQ(RootKeyFromName(name), HiveNone) << name;
}

#ifdef _WIN32

#include "script/Registry.h"
#include "support/ImportPatch.h"
#include "support/ScratchKey.h"

#include <string_view>
#include <vector>

using namespace std::string_view_literals;

namespace {

class RegistryKeys : public ::testing::Test {
protected:
    TScratchKey Scratch;
    TRegistry Registry;
};

}

TEST(HiveKey, NamesThePlatformsPredefinedKeys)
{
    EXPECT_EQ(HiveKey(HiveClassesRoot), HKEY_CLASSES_ROOT);
    EXPECT_EQ(HiveKey(HiveCurrentUser), HKEY_CURRENT_USER);
    EXPECT_EQ(HiveKey(HiveLocalMachine), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(HiveKey(HiveUsers), HKEY_USERS);
    EXPECT_EQ(HiveKey(HivePerformanceData), HKEY_PERFORMANCE_DATA);
    EXPECT_EQ(HiveKey(HiveCurrentConfig), HKEY_CURRENT_CONFIG);
    EXPECT_EQ(HiveKey(HiveDynData), HKEY_DYN_DATA);
    EXPECT_EQ(HiveKey(HiveNone), nullptr);
}

TEST_F(RegistryKeys, StartsAtTheCurrentUserHiveWithFullAccessAndNoKey)
{
    EXPECT_EQ(Registry.RootKey(), HKEY_CURRENT_USER);
    EXPECT_EQ(Registry.AccessMask(), static_cast<REGSAM>(KEY_ALL_ACCESS));
    EXPECT_FALSE(Registry.FlushOnClose());
    EXPECT_EQ(Registry.CurrentKey(), nullptr);
    EXPECT_EQ(Registry.CurrentPath(), L"");
}

TEST_F(RegistryKeys, OpenMakesAMissingKeyOnlyWhenAskedTo)
{
    const std::string path = Scratch.PathOf("New\\Deeper");
    EXPECT_FALSE(Registry.Open(path, false));
    EXPECT_FALSE(Scratch.HasKey("New"));
    EXPECT_EQ(Registry.CurrentKey(), nullptr);

    ASSERT_TRUE(Registry.Open(path, true));
    EXPECT_TRUE(Scratch.HasKey("New\\Deeper"));
    EXPECT_NE(Registry.CurrentKey(), nullptr);
    EXPECT_EQ(Registry.CurrentPath(), WideFromAnsi(path));
    Registry.PutText("made", "yes");
    EXPECT_EQ(Scratch.Value("New\\Deeper", "made")->Data, "yes\0"sv);
}

TEST_F(RegistryKeys, RelativePathsStartAtTheCurrentKeyAndBackslashPathsAtTheRootHive)
{
    Scratch.MakeKey("Parent\\Child");
    Scratch.SetValue("Parent\\Child", "where", REG_SZ, "child\0"sv);

    ASSERT_TRUE(Registry.Open(Scratch.PathOf("Parent"), false));
    ASSERT_TRUE(Registry.Open("Child", false));
    EXPECT_EQ(Registry.CurrentPath(), L"Child");
    EXPECT_EQ(Registry.GetText("where"), L"child");

    ASSERT_TRUE(Registry.Open("\\" + Scratch.PathOf("Parent"), false));
    EXPECT_TRUE(Registry.HasKey("Child"));
    EXPECT_TRUE(Registry.HasKey("\\" + Scratch.PathOf("Parent\\Child")));
    EXPECT_FALSE(Registry.HasKey(Scratch.PathOf("Parent")));

    Registry.Close();
    EXPECT_TRUE(Registry.HasKey(Scratch.Path()));
}

TEST_F(RegistryKeys, TheEmptyPathOpensTheBaseItself)
{
    ASSERT_TRUE(Registry.Open("", false));
    EXPECT_TRUE(Registry.HasKey(Scratch.Path()));

    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));
    ASSERT_TRUE(Registry.Open("", true));
    EXPECT_EQ(Registry.CurrentPath(), L"");
    Registry.PutInt("here", 5);
    EXPECT_EQ(Scratch.Value("", "here")->Type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(RegistryKeys, SetRootClosesTheKeyOnlyForAnotherHive)
{
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));
    Registry.SetRoot(HKEY_CURRENT_USER);
    EXPECT_NE(Registry.CurrentKey(), nullptr);
    EXPECT_EQ(Registry.CurrentPath(), WideFromAnsi(Scratch.Path()));

    Registry.SetRoot(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(Registry.RootKey(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(Registry.CurrentKey(), nullptr);
    EXPECT_EQ(Registry.CurrentPath(), L"");
}

TEST_F(RegistryKeys, MakeKeyMakesTheWholePathAndLeavesTheCurrentKey)
{
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));
    const HKEY current = Registry.CurrentKey();
    Registry.SetAccessMask(KEY_QUERY_VALUE);

    EXPECT_TRUE(Registry.MakeKey("A\\B\\C"));
    EXPECT_TRUE(Scratch.HasKey("A\\B\\C"));
    EXPECT_FALSE(Registry.MakeKey("A\\B"));
    EXPECT_FALSE(Registry.MakeKey("A\\B\\C"));
    Registry.MakeKey("\\" + Scratch.PathOf("D"));
    EXPECT_TRUE(Scratch.HasKey("D"));
    EXPECT_EQ(Registry.CurrentKey(), current);
    EXPECT_EQ(Registry.CurrentPath(), WideFromAnsi(Scratch.Path()));
    EXPECT_EQ(Registry.AccessMask(), static_cast<REGSAM>(KEY_QUERY_VALUE));
}

TEST_F(RegistryKeys, MakeKeyFailsNamingThePathAsPassed)
{
    Scratch.MakeVolatileKey("Volatile");
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));
    EXPECT_EQ(RegistryFailure([&] { Registry.MakeKey("Volatile\\Lasting"); }),
              "Failed to create key Volatile\\Lasting");
    EXPECT_FALSE(Scratch.HasKey("Volatile\\Lasting"));

    Registry.SetRoot(nullptr);
    EXPECT_EQ(RegistryFailure([&] { Registry.MakeKey("Software\\Lumivanta"); }),
              "Failed to create key Software\\Lumivanta");
    EXPECT_EQ(RegistryFailure([&] { Registry.MakeKey("\\Software"); }), "Failed to create key \\Software");
    EXPECT_EQ(RegistryFailure([&] { Registry.MakeKey(""); }), "Failed to create key ");
}

TEST_F(RegistryKeys, HasKeyAndHasFullAccessOpenNothingAndKeepTheMask)
{
    Scratch.MakeKey("Listable");
    Scratch.MakeKey("QueryOnly");
    const TRestrictedKey listable(Scratch, "Listable", KeyReadWithoutNotify);
    const TRestrictedKey queryOnly(Scratch, "QueryOnly", KEY_QUERY_VALUE);
    Registry.SetAccessMask(KEY_WRITE);

    EXPECT_TRUE(Registry.HasKey(Scratch.Path()));
    EXPECT_TRUE(Registry.HasKey(Scratch.PathOf("Listable")));
    EXPECT_FALSE(Registry.HasKey(Scratch.PathOf("QueryOnly")));
    EXPECT_FALSE(Registry.HasKey(Scratch.PathOf("Missing")));
    EXPECT_TRUE(Registry.HasFullAccess(Scratch.Path()));
    EXPECT_FALSE(Registry.HasFullAccess(Scratch.PathOf("Listable")));
    EXPECT_FALSE(Registry.HasFullAccess(Scratch.PathOf("Missing")));
    EXPECT_EQ(Registry.AccessMask(), static_cast<REGSAM>(KEY_WRITE));
    EXPECT_EQ(Registry.CurrentKey(), nullptr);
}

TEST_F(RegistryKeys, OpenForReadFallsBackToNarrowerMasks)
{
    for (const char* key : {"Listable", "QueryOnly", "Closed"})
        Scratch.MakeKey(key);
    Scratch.SetValue("QueryOnly", "text", REG_SZ, "readable\0"sv);
    Scratch.SetValue("QueryOnly", "other", REG_DWORD, "\x07\0\0\0"sv);
    Scratch.MakeKey("QueryOnly\\Child");
    const TRestrictedKey listable(Scratch, "Listable", KeyReadWithoutNotify);
    const TRestrictedKey queryOnly(Scratch, "QueryOnly", KEY_QUERY_VALUE);
    const TRestrictedKey closed(Scratch, "Closed", 0);

    const auto fromHive = [&](std::string_view relative) { return "\\" + Scratch.PathOf(relative); };

    ASSERT_TRUE(Registry.OpenForRead(fromHive("")));
    EXPECT_EQ(Registry.AccessMask(), static_cast<REGSAM>(KEY_READ));
    ASSERT_TRUE(Registry.OpenForRead(fromHive("Listable")));
    EXPECT_EQ(Registry.AccessMask(), KeyReadWithoutNotify);

    ASSERT_TRUE(Registry.OpenForRead(fromHive("QueryOnly")));
    EXPECT_EQ(Registry.AccessMask(), static_cast<REGSAM>(KEY_QUERY_VALUE));
    EXPECT_EQ(Registry.CurrentPath(), WideFromAnsi(fromHive("QueryOnly")));
    EXPECT_EQ(Registry.GetText("text"), L"readable");
    EXPECT_TRUE(Registry.HasChildKeys());
    EXPECT_EQ(Registry.ListValueNames().size(), 2u);

    EXPECT_FALSE(Registry.OpenForRead(fromHive("Closed")));
    EXPECT_FALSE(Registry.OpenForRead(fromHive("Missing")));
    EXPECT_EQ(Registry.AccessMask(), static_cast<REGSAM>(KEY_QUERY_VALUE));
    EXPECT_EQ(Registry.CurrentPath(), WideFromAnsi(fromHive("QueryOnly")));
}

TEST_F(RegistryKeys, HasChildKeysLooksAtTheCurrentKey)
{
    EXPECT_FALSE(Registry.HasChildKeys());
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));
    EXPECT_FALSE(Registry.HasChildKeys());
    Scratch.MakeKey("Child");
    EXPECT_TRUE(Registry.HasChildKeys());
}

TEST_F(RegistryKeys, RemoveKeyTreeRemovesNestedKeysWithTheirValues)
{
    for (const char* key : {"Tree\\A\\A1\\A1x", "Tree\\A\\A2", "Tree\\B", "Sibling", "Relative\\Inner"})
        Scratch.MakeKey(key);
    Scratch.SetInt("Tree", "v", 1);
    Scratch.SetInt("Tree\\A\\A1\\A1x", "deep", 2);

    EXPECT_TRUE(Registry.RemoveKeyTree(Scratch.PathOf("Tree")));
    EXPECT_FALSE(Scratch.HasKey("Tree"));
    EXPECT_TRUE(Scratch.HasKey("Sibling"));

    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));
    EXPECT_TRUE(Registry.RemoveKeyTree("Relative"));
    EXPECT_FALSE(Scratch.HasKey("Relative"));
    EXPECT_EQ(Registry.CurrentPath(), WideFromAnsi(Scratch.Path()));
    EXPECT_TRUE(Registry.HasChildKeys());
}

TEST_F(RegistryKeys, RemoveKeyTreeOfAMissingKeyGivesFalse)
{
    EXPECT_FALSE(Registry.RemoveKeyTree(Scratch.PathOf("Missing")));
    EXPECT_FALSE(Registry.RemoveKeyTree(Scratch.PathOf("Missing\\Deeper")));
    EXPECT_TRUE(Scratch.HasKey(""));
}

TEST_F(RegistryKeys, RemoveKeyTreeNeverTakesTheBaseItself)
{
    Scratch.MakeKey("Child\\Grandchild");
    // The scratch key stands in for a hive, so a wrong removal could only take the test's own keys.
    const UniqueKey root = Scratch.Open("");
    Registry.SetRoot(root.Get());

    EXPECT_FALSE(Registry.RemoveKeyTree(""));
    EXPECT_FALSE(Registry.RemoveKeyTree("\\"));
    EXPECT_FALSE(Registry.RemoveKeyTree("\\\\\\"));
    ASSERT_TRUE(Registry.Open("Child", false));
    EXPECT_FALSE(Registry.RemoveKeyTree(""));
    EXPECT_TRUE(Scratch.HasKey("Child\\Grandchild"));
    Registry.Close();
}

TEST_F(RegistryKeys, RemoveKeyTreeStopsAtAKeyThatRefusesDeletion)
{
    Scratch.MakeKey("Tree\\Open");
    Scratch.MakeKey("Tree\\Locked\\Inside");
    const TRestrictedKey locked(Scratch, "Tree\\Locked", KEY_QUERY_VALUE);

    EXPECT_FALSE(Registry.RemoveKeyTree(Scratch.PathOf("Tree")));
    EXPECT_FALSE(Scratch.HasKey("Tree\\Open"));
    EXPECT_TRUE(Scratch.HasKey("Tree\\Locked"));
}

namespace RecordedCalls {
std::vector<HKEY> flushed;
std::vector<HKEY> closed;
decltype(&::RegFlushKey) flushKey;
decltype(&::RegCloseKey) closeKey;

LONG WINAPI RecordFlush(HKEY key)
{
    flushed.push_back(key);
    return flushKey(key);
}

LONG WINAPI RecordClose(HKEY key)
{
    closed.push_back(key);
    return closeKey(key);
}
}

TEST_F(RegistryKeys, CloseFlushesChangesOnlyWhenAskedAndNeverClosesAHive)
{
    using namespace RecordedCalls;
    const TImportPatch flushPatch("advapi32.dll", "RegFlushKey", &RecordFlush);
    const TImportPatch closePatch("advapi32.dll", "RegCloseKey", &RecordClose);
    flushKey = flushPatch.Original();
    closeKey = closePatch.Original();

    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));
    HKEY key = Registry.CurrentKey();
    Registry.Close();
    EXPECT_TRUE(flushed.empty());
    EXPECT_EQ(closed, std::vector<HKEY>{key});
    EXPECT_EQ(Registry.CurrentPath(), L"");

    Registry.SetFlushOnClose(true);
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));
    Registry.GetText("missing");
    Registry.Close();
    EXPECT_TRUE(flushed.empty());
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));
    key = Registry.CurrentKey();
    Registry.PutText("text", "a");
    Registry.Close();
    Registry.Close();
    EXPECT_EQ(flushed, std::vector<HKEY>{key});
    ASSERT_TRUE(Registry.Open(Scratch.Path(), false));
    EXPECT_FALSE(Registry.RemoveValue("missing"));
    Registry.MakeKey("Child");
    Registry.Close();
    Registry.MakeKey(Scratch.PathOf("Child"));
    Registry.Close();
    EXPECT_EQ(flushed.size(), 2u);
    EXPECT_TRUE(Registry.RemoveKeyTree(Scratch.PathOf("Child")));
    Registry.Close();
    EXPECT_EQ(flushed, (std::vector<HKEY>{key, key, HKEY_CURRENT_USER}));

    closed.clear();
    ASSERT_TRUE(Registry.Open("", false));
    EXPECT_EQ(Registry.CurrentKey(), HKEY_CURRENT_USER);
    Registry.Close();
    EXPECT_TRUE(closed.empty());

    {
        TRegistry other;
        ASSERT_TRUE(other.Open(Scratch.Path(), false));
        key = other.CurrentKey();
    }
    EXPECT_EQ(closed, std::vector<HKEY>{key});
}

#endif
