#include "app/SettingsWatch.h"

#include "script/ComSession.h"
#include "script/Registry.h"

#include <objbase.h>

#include <cwchar>
#include <system_error>
#include <utility>

namespace {

// A burst of changes (an import, a policy refresh writing many values, a setting announced to
// every window) within this time is one check.
constexpr DWORD SettleMilliseconds = 150;
// However long a burst lasts, a check follows after this.
constexpr DWORD LongestSettleMilliseconds = 1000;

// Checks in a row that a change during the check before started.
constexpr int MostEchoes = 2;

constexpr DWORD KeyChangeFilter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

bool Signalled(HANDLE event)
{
    return ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

UniqueKernelHandle NewEvent(bool manualReset)
{
    UniqueKernelHandle event(::CreateEventW(nullptr, manualReset, FALSE, nullptr));
    if (!event)
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category());
    return event;
}

// The watched keys, all signalling one event: every change leads to the same check, so which
// key changed does not matter, and one event for any number of keys never meets the limit of
// 64 handles in one wait. A key that does not exist is watched through its nearest ancestor for
// keys made or removed below it. Closing a key signals the event, so the keys of the last round
// are closed before the event is reset and the new ones are armed.
class TKeyWatches {
public:
    TKeyWatches() : FChanged(NewEvent(true)) {}

    HANDLE Changed() const { return FChanged.Get(); }

    void Arm(const std::vector<TWatchedKey>& keys)
    {
        FKeys.clear();
        ::ResetEvent(FChanged.Get());
        for (const TWatchedKey& key : keys)
            ArmOne(key.Root == "HKLM" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, key.Path);
    }

private:
    void ArmOne(HKEY hive, const std::wstring& requested)
    {
        std::wstring path = requested;
        for (;;) {
            HKEY opened = nullptr;
            if (::RegOpenKeyExW(hive, path.c_str(), 0, KEY_NOTIFY | NativeRegistryView(), &opened) == ERROR_SUCCESS) {
                UniqueKey key(opened);
                const bool exact = path.size() == requested.size();
                if (::RegNotifyChangeKeyValue(key.Get(), !exact, exact ? KeyChangeFilter : REG_NOTIFY_CHANGE_NAME,
                                              FChanged.Get(), TRUE) == ERROR_SUCCESS)
                    FKeys.push_back(std::move(key));
                return;
            }
            const std::size_t parent = path.find_last_of(L'\\');
            if (path.empty())
                return;
            path.resize(parent == std::wstring::npos ? 0 : parent);
        }
    }

    UniqueKernelHandle FChanged;
    std::vector<UniqueKey> FKeys;
};

}

TSettingsWatch::TSettingsWatch(HWND window, std::vector<TScriptSource> sources)
    : FWindow(window), FSources(std::move(sources)), FStop(NewEvent(true)), FWake(NewEvent(false))
{
    FThread = std::thread([this] { Run(); });
}

TSettingsWatch::~TSettingsWatch()
{
    ::SetEvent(FStop.Get());
    FThread.join();
}

void TSettingsWatch::Recheck(const wchar_t* reason)
{
    {
        const std::lock_guard lock(FLock);
        (std::wcscmp(reason, CheckAfterResume) == 0 ? FResumed : FSettingChanged) = true;
    }
    ::SetEvent(FWake.Get());
}

std::wstring TSettingsWatch::TakeNotification()
{
    const std::lock_guard lock(FLock);
    return std::exchange(FNotification, std::wstring());
}

void TSettingsWatch::Run() noexcept
{
    try {
        const TComSession apartment;
        const TSharedRegistryScope registry;
        TProgramHost host(FSources, {});
        FSources.clear();
        Watch(host);
    } catch (...) {
        // Already in the exception log, which every throw passes; the program runs on unwatched.
    }
}

// The keys are armed before each check, so that a change while it runs is not lost. A change seen
// while a check ran may be that check's own writing (the history, a setting put back), which the
// next check finds to be nothing new; a script that wrote at every check would thus start check
// after check, so after a few such checks in a row that told nothing the keys are armed after the
// check instead.
// The list is read again each time, as a setting may have been kept anew.
void TSettingsWatch::Watch(TProgramHost& host)
{
    TKeyWatches watches;
    watches.Arm(ParseWatchedKeys(host.WatchedKeys()));
    CheckAndTell(host, CheckAtStart);
    bool changedWhileChecking = Signalled(watches.Changed());
    int echoes = 0;
    const HANDLE events[] = {FStop.Get(), FWake.Get(), watches.Changed()};
    for (;;) {
        const DWORD signalled = ::WaitForMultipleObjects(3, events, FALSE, INFINITE);
        if (signalled == WAIT_OBJECT_0 || signalled == WAIT_FAILED || !Settle(events[signalled - WAIT_OBJECT_0]))
            return;
        bool resumed = false;
        bool settingChanged = false;
        {
            const std::lock_guard lock(FLock);
            resumed = std::exchange(FResumed, false);
            settingChanged = std::exchange(FSettingChanged, false);
        }
        const bool keyChanged = signalled == WAIT_OBJECT_0 + 2 || Signalled(watches.Changed());
        echoes = keyChanged && changedWhileChecking && !resumed && !settingChanged ? echoes + 1 : 0;
        const bool armAfter = echoes > MostEchoes;
        if (!armAfter)
            watches.Arm(ParseWatchedKeys(host.WatchedKeys()));
        if (resumed)
            CheckAndTell(host, CheckAfterResume);
        if (settingChanged)
            CheckAndTell(host, CheckAfterSettingChange);
        if (keyChanged && CheckAndTell(host, CheckAfterKeyChange))
            echoes = 0;
        if (armAfter) {
            watches.Arm(ParseWatchedKeys(host.WatchedKeys()));
            echoes = 0;
        }
        changedWhileChecking = !armAfter && Signalled(watches.Changed());
    }
}

bool TSettingsWatch::Settle(HANDLE event)
{
    const ULONGLONG started = ::GetTickCount64();
    for (;;) {
        if (event != FWake.Get())
            ::ResetEvent(event);
        const HANDLE events[] = {FStop.Get(), event};
        const DWORD signalled = ::WaitForMultipleObjects(2, events, FALSE, SettleMilliseconds);
        if (signalled == WAIT_OBJECT_0 || signalled == WAIT_FAILED)
            return false;
        if (signalled == WAIT_TIMEOUT || ::GetTickCount64() - started >= LongestSettleMilliseconds)
            return true;
    }
}

bool TSettingsWatch::CheckAndTell(TProgramHost& host, const wchar_t* reason)
{
    std::wstring text;
    try {
        text = host.Check(reason);
    } catch (const Exception&) {
        // Logged as it was raised; the next event checks again.
        return false;
    }
    if (text.empty())
        return false;
    {
        const std::lock_guard lock(FLock);
        FNotification = std::move(text);
    }
    ::PostMessageW(FWindow, SettingsNotifyMessage, 0, 0);
    return true;
}
