#include "dialogs/StringListRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(StringListRules, FirstNameOfAnEmptyListIsZero)
{
    EXPECT_EQ(SmallestFreeName({}), L"0");
}

TEST(StringListRules, NextNameFollowsADenseList)
{
    EXPECT_EQ(SmallestFreeName({L"0", L"1", L"2"}), L"3");
}

TEST(StringListRules, GapsAreFilledFirst)
{
    EXPECT_EQ(SmallestFreeName({L"0", L"1", L"3"}), L"2");
    EXPECT_EQ(SmallestFreeName({L"0", L"2"}), L"1");
    EXPECT_EQ(SmallestFreeName({L"2", L"0", L"1", L"3"}), L"4");
    EXPECT_EQ(SmallestFreeName({L"1", L"2"}), L"0");
}

TEST(StringListRules, OnlyPlainDecimalNamesUseANumber)
{
    EXPECT_EQ(SmallestFreeName({L"00", L"+0", L" 0", L"0 ", L"-0", L"x", L"", L"\uFF10", L"\u0660"}), L"0");
    EXPECT_EQ(SmallestFreeName({L"0", L"01", L"1a"}), L"1");
}

TEST(StringListRules, LargeAndOverlongNumbersUseNoSmallNumber)
{
    EXPECT_EQ(SmallestFreeName({L"4294967296", L"99999999999999999999999", L"1"}), L"0");
}

TEST(StringListRules, DeletingInTheMiddleKeepsTheIndex)
{
    EXPECT_EQ(SelectionAfterDelete(1, 2), 1);
    EXPECT_EQ(SelectionAfterDelete(0, 2), 0);
}

TEST(StringListRules, DeletingTheLastItemSelectsTheNewLast)
{
    EXPECT_EQ(SelectionAfterDelete(2, 2), 1);
}

TEST(StringListRules, DeletingTheOnlyItemLeavesNoSelection)
{
    EXPECT_EQ(SelectionAfterDelete(0, 0), -1);
}

TEST(StringListRules, CentringTruncatesEachHalf)
{
    const TPosition position = CentredOver({100, 50, 401, 201}, 199, 99);
    EXPECT_EQ(position.Left, 100 + 200 - 99);
    EXPECT_EQ(position.Top, 50 + 100 - 49);
}

TEST(StringListRules, CentringAWiderWindowGoesLeftOfTheOuterButStaysInTheWorkArea)
{
    const TPosition position = CentredOver({0, 0, 400, 200}, 564, 130);
    EXPECT_EQ(position.Left, -82);
    EXPECT_EQ(position.Top, 35);
    EXPECT_EQ(CentredWithin({0, 0, 400, 200}, {0, 0, 1024, 738}, 564, 130).Left, 0);
    EXPECT_EQ(CentredWithin({1000, 700, 200, 200}, {0, 0, 1024, 738}, 400, 200).Top, 738 - 200);
    EXPECT_EQ(CentredWithin({0, 0, 100, 100}, {-1280, 0, 1280, 1024}, 2000, 100).Left, -1280);
}

TEST(StringListRules, ButtonPairIsCentredWithAGap)
{
    const TButtonPair pair = CentredButtonPair(556, 75);
    EXPECT_EQ(pair.FirstLeft, 278 - 15 - 75);
    EXPECT_EQ(pair.SecondLeft, 278 + 15);
    EXPECT_EQ(CentredButtonPair(201, 75).FirstLeft, 100 - 15 - 75);
}
