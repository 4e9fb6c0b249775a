// Folder prefixes, the two list comparisons and the bisection that searches them.
#include "store/FolderCollation.h"
#include "store/StrNum.h"
#include "store/StringLists.h"

#include <gtest/gtest.h>

#include <random>

#ifdef _WIN32
#include <windows.h>
#endif

TEST(NumToStr2, TwoCharactersThatSortInNumberOrder)
{
    EXPECT_EQ(NumToStr2(0), "  ");
    EXPECT_EQ(NumToStr2(1), " !");
    EXPECT_EQ(NumToStr2(128), "! ");
    EXPECT_EQ(NumToStr2(16383), std::string("\x9f\x9f"));
    for (std::int32_t n = 0; n < MaxFolderNumber; ++n) {
        ASSERT_LT(CompareKeys(NumToStr2(n), NumToStr2(n + 1)), 0) << n;
        ASSERT_EQ(Str2ToNum(NumToStr2(n)), n);
    }
}

TEST(NumToStr2, NegativeAndLargeNumbersWrapToEightBits)
{
    // -1 shifted logically: 32 + 0x1FFFFFF cut to 8 bits is 0x1F; 32 + 127 is 0x9F.
    EXPECT_EQ(NumToStr2(-1), std::string("\x1f\x9f"));
    EXPECT_EQ(NumToStr2(32768), NumToStr2(0));
    EXPECT_FALSE(Str2ToNum(NumToStr2(-1)).has_value());
    EXPECT_FALSE(Str2ToNum(" ").has_value());
}

TEST(CompareKeys, UnsignedBytesThenLength)
{
    EXPECT_LT(CompareKeys("a", "b"), 0);
    EXPECT_LT(CompareKeys("Z", "a"), 0);
    EXPECT_LT(CompareKeys("ab", "abc"), 0);
    EXPECT_EQ(CompareKeys("abc", "abc"), 0);
    EXPECT_LT(CompareKeys("\x7f", "\x80"), 0);
    EXPECT_GT(CompareKeys(std::string("\x9f"), std::string(" ")), 0);
}

TEST(StringListFind, BisectsAndReportsTheInsertionPoint)
{
    TUStringList keys;
    for (const char* key : {"b", "d", "f", "h"})
        keys.Add(key);
    std::size_t index = 99;
    EXPECT_TRUE(keys.Find("f", index));
    EXPECT_EQ(index, 2u);
    EXPECT_FALSE(keys.Find("e", index));
    EXPECT_EQ(index, 2u);
    EXPECT_FALSE(keys.Find("a", index));
    EXPECT_EQ(index, 0u);
    EXPECT_FALSE(keys.Find("z", index));
    EXPECT_EQ(index, 4u);
    EXPECT_FALSE(keys.Find("F", index));
    EXPECT_FALSE(TUStringList().Find("", index));
    EXPECT_EQ(index, 0u);
}

TEST(StringListFind, FolderListsIgnoreLetterCase)
{
    TStringList folders;
    for (const char* folder : {"", "img", "Tweaks", "tweaks\\img"})
        folders.Add(folder);
    std::size_t index = 0;
    EXPECT_TRUE(folders.Find("TWEAKS", index));
    EXPECT_EQ(index, 2u);
    EXPECT_TRUE(folders.Find("", index));
    EXPECT_EQ(index, 0u);
    EXPECT_TRUE(folders.Find("Tweaks\\IMG", index));
    EXPECT_EQ(index, 3u);
}

TEST(StringListSort, CarriesTheObjectValues)
{
    TUStringList keys;
    keys.Add("c", 3);
    keys.Add("a", 1);
    keys.Add("B", 2);
    keys.Sort();
    EXPECT_EQ(keys.Strings(0), "B");
    EXPECT_EQ(keys.Objects(0), 2);
    EXPECT_EQ(keys.Strings(2), "c");
    EXPECT_EQ(keys.Objects(2), 3);
}

TEST(FolderCollation, SymbolsThenDigitsThenLettersWithoutCase)
{
    EXPECT_LT(CompareFolderNames("", "a"), 0);
    EXPECT_LT(CompareFolderNames("a b", "ab"), 0);
    EXPECT_LT(CompareFolderNames("a.b", "a_b"), 0);
    EXPECT_LT(CompareFolderNames("a\\b", "a_b"), 0);
    EXPECT_LT(CompareFolderNames("a_", "a1"), 0);
    EXPECT_LT(CompareFolderNames("x1\\y", "x10"), 0);
    EXPECT_LT(CompareFolderNames("Z9", "za"), 0);
    EXPECT_EQ(CompareFolderNames("TWEAKS\\Img", "tweaks\\img"), 0);
    EXPECT_LT(CompareFolderNames("~", "+"), 0);
    EXPECT_LT(CompareFolderNames("=", "0"), 0);
}

// The packer sorts folders with our own collation on Linux; the program bisects them with the
// platform's. This proves the two agree on every name the packer lets through.
#ifdef _WIN32
TEST(FolderCollation, AgreesWithCompareStringAOnPortableNames)
{
    const std::string alphabet = " !#$%&(),.;@[\\]^_`{}~+=0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const auto sign = [](int c) { return (c > 0) - (c < 0); };
    const auto windows = [](const std::string& a, const std::string& b) {
        return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                b.data(), static_cast<int>(b.size())) - CSTR_EQUAL;
    };
    for (char a : alphabet)
        for (char b : alphabet)
            ASSERT_EQ(sign(windows({a}, {b})), sign(ComparePortableFolderNames(std::string{a}, std::string{b})))
                << a << " vs " << b;

    std::mt19937 random(20261207);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 6);
    const auto name = [&] {
        std::string s;
        for (int n = length(random); n > 0; --n)
            s += alphabet[pick(random)];
        return s;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::string a = name();
        // Share a prefix half of the time, where ties and lengths decide.
        const std::string b = i % 2 ? a.substr(0, a.size() / 2) + name() : name();
        ASSERT_EQ(sign(windows(a, b)), sign(ComparePortableFolderNames(a, b))) << "'" << a << "' vs '" << b << "'";
    }
}
#endif

TEST(FolderCollation, PortableCharactersLeaveOutHyphenAndApostrophe)
{
    EXPECT_TRUE(IsPortableFolderChar('a'));
    EXPECT_TRUE(IsPortableFolderChar('Z'));
    EXPECT_TRUE(IsPortableFolderChar('0'));
    EXPECT_TRUE(IsPortableFolderChar('_'));
    EXPECT_TRUE(IsPortableFolderChar(' '));
    EXPECT_FALSE(IsPortableFolderChar('-'));
    EXPECT_FALSE(IsPortableFolderChar('\''));
    EXPECT_FALSE(IsPortableFolderChar('\xe9'));
    EXPECT_FALSE(IsPortableFolderChar('\r'));
}
