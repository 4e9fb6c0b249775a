#pragma once

// The call stack at a raise, read along the chain of frame pointers: the program is built
// with frame pointers, so each frame starts with the caller's frame pointer followed by the
// return address into the caller. The walk reads only inside the thread's stack and stops at
// the first link that does not lead further up it.

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t MaxStackFrames = 64;

// Fixed size, so that capturing a stack at a raise allocates nothing.
struct TStackTrace {
    std::array<std::uintptr_t, MaxStackFrames> Frames{};
    std::size_t Count = 0;

    void Add(std::uintptr_t address)
    {
        if (Count < Frames.size())
            Frames[Count++] = address;
    }
};

// Adds the return addresses found from framePointer on, innermost first, reading only words
// that lie in [stackLow, stackHigh).
void WalkFrameChain(std::uintptr_t framePointer, std::uintptr_t stackLow, std::uintptr_t stackHigh,
                    TStackTrace& trace);
