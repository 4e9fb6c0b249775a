// The frame-pointer walk over a stack laid out by the test.
#include "diagnostics/StackWalk.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Word = std::uintptr_t;

class FakeStack {
public:
    explicit FakeStack(std::size_t words) : FWords(words, 0) {}
    Word Address(std::size_t index) const { return reinterpret_cast<Word>(&FWords[index]); }
    // A frame at index: the caller's frame pointer, then the return address.
    void Frame(std::size_t index, Word caller, Word returnAddress)
    {
        FWords[index] = caller;
        FWords[index + 1] = returnAddress;
    }
    Word Low() const { return Address(0); }
    Word High() const { return Address(0) + FWords.size() * sizeof(Word); }

private:
    std::vector<Word> FWords;
};

std::vector<Word> Walk(const FakeStack& stack, Word start)
{
    TStackTrace trace;
    WalkFrameChain(start, stack.Low(), stack.High(), trace);
    return {trace.Frames.begin(), trace.Frames.begin() + trace.Count};
}

TEST(StackWalk, FollowsTheChainInnermostFirst)
{
    FakeStack stack(32);
    stack.Frame(2, stack.Address(10), 0x401000);
    stack.Frame(10, stack.Address(20), 0x402000);
    stack.Frame(20, 0, 0x403000);
    EXPECT_EQ(Walk(stack, stack.Address(2)), (std::vector<Word>{0x401000, 0x402000, 0x403000}));
}

TEST(StackWalk, StopsAtLinksThatLeaveTheStackOrGoDown)
{
    FakeStack stack(32);
    stack.Frame(10, stack.Address(4), 0x401000); // a caller below its callee
    EXPECT_EQ(Walk(stack, stack.Address(10)), (std::vector<Word>{0x401000}));
    stack.Frame(10, stack.Address(31), 0x401000); // a frame whose return address lies past the top
    EXPECT_EQ(Walk(stack, stack.Address(10)), (std::vector<Word>{0x401000}));
    stack.Frame(10, stack.Address(12) + 1, 0x401000); // misaligned
    EXPECT_EQ(Walk(stack, stack.Address(10)), (std::vector<Word>{0x401000}));
    EXPECT_TRUE(Walk(stack, stack.Low() - sizeof(Word)).empty());
    EXPECT_TRUE(Walk(stack, 0).empty());
}

TEST(StackWalk, EndsAtAZeroReturnAddress)
{
    FakeStack stack(16);
    stack.Frame(2, stack.Address(6), 0x401000);
    stack.Frame(6, stack.Address(10), 0);
    EXPECT_EQ(Walk(stack, stack.Address(2)), (std::vector<Word>{0x401000}));
}

TEST(StackWalk, KeepsAtMostItsCapacity)
{
    FakeStack stack(2 * MaxStackFrames + 8);
    for (std::size_t i = 0; i + 2 < 2 * MaxStackFrames + 8; i += 2)
        stack.Frame(i, stack.Address(i + 2), 0x400000 + i);
    EXPECT_EQ(Walk(stack, stack.Address(0)).size(), MaxStackFrames);
}

} // namespace
