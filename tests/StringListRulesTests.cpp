#include "dialogs/StringListRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(StringListRules, FirstNameOfAnEmptyListIsZero)
{
    EXPECT_EQ(SmallestFreeName({}), "0");
}

TEST(StringListRules, NextNameFollowsADenseList)
{
    EXPECT_EQ(SmallestFreeName({"0", "1", "2"}), "3");
}

TEST(StringListRules, GapsAreFilledFirst)
{
    EXPECT_EQ(SmallestFreeName({"0", "1", "3"}), "2");
    EXPECT_EQ(SmallestFreeName({"0", "2"}), "1");
    EXPECT_EQ(SmallestFreeName({"2", "0", "1", "3"}), "4");
    EXPECT_EQ(SmallestFreeName({"1", "2"}), "0");
}

TEST(StringListRules, OnlyPlainDecimalNamesUseANumber)
{
    EXPECT_EQ(SmallestFreeName({"00", "+0", " 0", "0 ", "-0", "x", ""}), "0");
    EXPECT_EQ(SmallestFreeName({"0", "01", "1a"}), "1");
}

TEST(StringListRules, LargeAndOverlongNumbersUseNoSmallNumber)
{
    EXPECT_EQ(SmallestFreeName({"4294967296", "99999999999999999999999", "1"}), "0");
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
