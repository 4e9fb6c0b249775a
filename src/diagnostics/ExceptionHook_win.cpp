#include "diagnostics/ExceptionHook.h"

#include "diagnostics/AddressTable.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <shared_mutex>
#include <tuple>
#include <vector>

namespace {

struct TNotifierEntry {
    TRaiseNotifier Notifier;
    void* Context;
    TNotifierPriority Priority;
};

struct TThreadState {
    bool Notifying = false;
    TStackTrace Stack;
    std::uintptr_t Address = 0;
};

std::shared_mutex NotifierLock;
std::vector<TNotifierEntry> Notifiers; // first-priority entries before normal ones
std::mutex HookLock;
int HookCount = 0;
PVOID VectoredHandler = nullptr;
// Read on every throw without a lock: a stale value only means one raise more or less reported.
std::atomic<bool> Hooked = false;

thread_local TThreadState ThreadState;

// The low (committed) and high ends of this thread's stack, from its thread information block
// (StackBase and StackLimit of NT_TIB, which FS addresses on x86).
std::pair<std::uintptr_t, std::uintptr_t> ThreadStackBounds()
{
    std::uintptr_t base, limit;
    asm("movl %%fs:4, %0" : "=r"(base));
    asm("movl %%fs:8, %0" : "=r"(limit));
    return {limit, base};
}

void Notify(const TRaise& raise)
{
    if (!Hooked)
        return;
    TRaiseGuard guard;
    if (!guard.Outermost())
        return;
    ThreadState.Address = raise.Address;
    std::shared_lock lock(NotifierLock);
    for (const auto& entry : Notifiers)
        entry.Notifier(entry.Context, raise);
}

bool IsFailureCode(DWORD code)
{
    return (code >> 30) == 3;
}

DWORD WINAPI NotifyOnThread(LPVOID raise)
{
    Notify(*static_cast<const TRaise*>(raise));
    return 0;
}

LONG CALLBACK ReportSystemException(EXCEPTION_POINTERS* pointers)
{
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    const auto address = reinterpret_cast<std::uintptr_t>(record->ExceptionAddress);
    if (IsFailureCode(record->ExceptionCode) && ProgramRelativeAddress(address)) {
        TRaise raise;
        raise.Record = record;
        raise.Address = address;
        raise.FramePointer = pointers->ContextRecord->Ebp;
        std::tie(raise.StackLow, raise.StackHigh) = ThreadStackBounds();
        if (record->ExceptionCode == EXCEPTION_STACK_OVERFLOW) {
            // A thread inside a notification, or holding a lock that notifiers take, would keep
            // the helper waiting for ever; its raises go unreported, as on any other path.
            if (ThreadState.Notifying)
                return EXCEPTION_CONTINUE_SEARCH;
            const HANDLE notifier = ::CreateThread(nullptr, 0, NotifyOnThread, &raise, 0, nullptr);
            if (notifier) {
                ::WaitForSingleObject(notifier, INFINITE);
                ::CloseHandle(notifier);
            }
        } else {
            Notify(raise);
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}


} // namespace

extern "C" {
[[noreturn]] void __real___cxa_throw(void* object, std::type_info* type, void (*destroy)(void*));

// Every throw in the program comes here first (the link maps __cxa_throw to this name).
[[noreturn]] void __wrap___cxa_throw(void* object, std::type_info* type, void (*destroy)(void*))
{
    TRaise raise;
    raise.Type = type;
    raise.Object = object;
    raise.Address = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
    raise.FramePointer = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    std::tie(raise.StackLow, raise.StackHigh) = ThreadStackBounds();
    Notify(raise);
    __real___cxa_throw(object, type, destroy);
}
}

TRaiseGuard::TRaiseGuard() : FOutermost(!ThreadState.Notifying)
{
    ThreadState.Notifying = true;
}

TRaiseGuard::~TRaiseGuard()
{
    if (FOutermost)
        ThreadState.Notifying = false;
}

bool HookExceptions()
{
    std::lock_guard lock(HookLock);
    if (HookCount == 0) {
        // Loaded before the first raise, so that no raise waits for it.
        ProgramAddressTable();
        VectoredHandler = ::AddVectoredExceptionHandler(1, ReportSystemException);
        if (!VectoredHandler)
            return false;
        Hooked = true;
    }
    ++HookCount;
    return true;
}

void UnhookExceptions()
{
    std::lock_guard lock(HookLock);
    if (HookCount == 0 || --HookCount > 0)
        return;
    Hooked = false;
    ::RemoveVectoredExceptionHandler(VectoredHandler);
    VectoredHandler = nullptr;
}

void AddRaiseNotifier(TRaiseNotifier notifier, void* context, TNotifierPriority priority)
{
    // A raise while the list is held (out of memory) would wait for the list in Notify.
    const TRaiseGuard quiet;
    std::unique_lock lock(NotifierLock);
    const auto place = priority == TNotifierPriority::First
                           ? std::find_if(Notifiers.begin(), Notifiers.end(),
                                          [](const TNotifierEntry& entry) {
                                              return entry.Priority == TNotifierPriority::Normal;
                                          })
                           : Notifiers.end();
    Notifiers.insert(place, TNotifierEntry{notifier, context, priority});
}

void RemoveRaiseNotifier(TRaiseNotifier notifier, void* context)
{
    const TRaiseGuard quiet;
    std::unique_lock lock(NotifierLock);
    std::erase_if(Notifiers, [&](const TNotifierEntry& entry) {
        return entry.Notifier == notifier && entry.Context == context;
    });
}

void CaptureRaiseStack(void*, const TRaise& raise)
{
    TStackTrace& stack = ThreadState.Stack;
    stack.Count = 0;
    // A system exception's own address is the innermost frame: the faulting code may not have
    // made a frame of its own yet.
    if (raise.Record)
        stack.Add(raise.Address);
    WalkFrameChain(raise.FramePointer, raise.StackLow, raise.StackHigh, stack);
}

const TStackTrace& LastRaiseStack()
{
    return ThreadState.Stack;
}

std::uintptr_t LastRaiseAddress()
{
    return ThreadState.Address;
}
