#pragma once

// The process-wide exception hook. Design:
// - C++ exceptions unwind by DWARF tables on this target and never pass through the system's
//   exception dispatch, so the hook sits on the throw itself: the linker routes every call of
//   __cxa_throw in the program (the runtime library's own included) through our wrapper,
//   which reports the raise and then throws as before. Exceptions the program catches and
//   handles itself are reported too.
// - System exceptions (access violations, division by zero, ...) are reported by a first-chance
//   vectored handler, only when their address lies in the program's own image: the platform
//   raises and handles exceptions of its own (debug output, thread names, RPC) all the time.
//   A stack overflow leaves too little stack to log on, so its notifiers run on a thread of
//   their own while the raising thread waits.
// - Notifiers at first priority run before those at normal priority. A per-thread guard keeps a
//   raise inside a notifier from being reported, so logging can never log itself. The list is
//   guarded by a lock that is held while notifiers run, so a notifier is never removed while it
//   is still running; a notifier therefore never adds or removes notifiers.

#include "diagnostics/StackWalk.h"

#include <windows.h>

#include <cstdint>
#include <typeinfo>

// One raise, as the notifiers see it.
struct TRaise {
    const std::type_info* Type = nullptr; // the thrown C++ type; null for a system exception
    void* Object = nullptr;               // the thrown C++ object
    const EXCEPTION_RECORD* Record = nullptr;
    std::uintptr_t Address = 0;      // where the raise happened
    std::uintptr_t FramePointer = 0; // the frame whose return address is the first stack frame
    std::uintptr_t StackLow = 0;     // the raising thread's stack, where the walk may read
    std::uintptr_t StackHigh = 0;
};

enum class TNotifierPriority { First, Normal };
using TRaiseNotifier = void (*)(void* context, const TRaise& raise);

// Installs the hook on the first call; every call is matched by one UnhookExceptions. False
// when the vectored handler cannot be installed; then nothing is hooked.
bool HookExceptions();
void UnhookExceptions();

void AddRaiseNotifier(TRaiseNotifier notifier, void* context, TNotifierPriority priority);
void RemoveRaiseNotifier(TRaiseNotifier notifier, void* context);

// The first-priority notifier that keeps the stack of each raise for its thread.
void CaptureRaiseStack(void* context, const TRaise& raise);
// The stack captured at this thread's last raise, and that raise's address.
const TStackTrace& LastRaiseStack();
std::uintptr_t LastRaiseAddress();

// While one exists on a thread, raises on that thread are not reported: for work that must not
// be observed, such as writing the log, and for holding a lock that a notifier takes (a stack
// overflow's notifiers run on another thread, which would wait for that lock for ever).
class TRaiseGuard {
public:
    TRaiseGuard();
    ~TRaiseGuard();
    TRaiseGuard(const TRaiseGuard&) = delete;
    TRaiseGuard& operator=(const TRaiseGuard&) = delete;
    // Whether this guard is the first on its thread, rather than nested in one.
    bool Outermost() const { return FOutermost; }

private:
    bool FOutermost;
};
