#include "diagnostics/StackWalk.h"

void WalkFrameChain(std::uintptr_t framePointer, std::uintptr_t stackLow, std::uintptr_t stackHigh,
                    TStackTrace& trace)
{
    constexpr std::uintptr_t word = sizeof(std::uintptr_t);
    while (trace.Count < trace.Frames.size()) {
        const bool inside = framePointer >= stackLow && framePointer % word == 0 && stackHigh >= 2 * word &&
                            framePointer <= stackHigh - 2 * word;
        if (!inside)
            return;
        const auto* frame = reinterpret_cast<const std::uintptr_t*>(framePointer);
        const std::uintptr_t returnAddress = frame[1];
        if (returnAddress == 0)
            return;
        trace.Add(returnAddress);
        // The stack grows down, so every caller's frame lies above its callee's.
        if (frame[0] <= framePointer)
            return;
        framePointer = frame[0];
    }
}
